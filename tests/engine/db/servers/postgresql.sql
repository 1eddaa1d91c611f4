-- The sales schema of the PostgreSQL tests: a second schema holding a
-- table of a name the default schema also has, views, every column type.
CREATE SCHEMA 経理;

CREATE TABLE 商品マスタ (
    商品コード char(8) PRIMARY KEY,
    商品名 varchar(40) NOT NULL,
    単価 numeric(10,2)
);
COMMENT ON TABLE 商品マスタ IS '販売する商品';
COMMENT ON COLUMN 商品マスタ.商品名 IS '正式な商品名';

CREATE TABLE 経理.商品マスタ (
    勘定科目 varchar(10) PRIMARY KEY,
    原価 numeric(12,0)
);

CREATE TABLE 受注明細 (
    受注番号 integer,
    行番号 smallint,
    伝票番号 varchar(12),
    商品コード char(8) REFERENCES 商品マスタ,
    数量 integer,
    備考 text,
    PRIMARY KEY (受注番号, 行番号)
);
CREATE UNIQUE INDEX 受注明細_伝票 ON 受注明細 (伝票番号);
CREATE INDEX 受注明細_商品 ON 受注明細 (商品コード);

CREATE TABLE 型見本 (
    c_integer integer,
    c_smallint smallint,
    c_bigint bigint,
    c_numeric numeric(10,2),
    c_real real,
    c_double double precision,
    c_char char(5),
    c_varchar varchar(20),
    c_text text,
    c_date date,
    c_time time,
    c_timestamp timestamp,
    c_boolean boolean,
    c_bytea bytea,
    c_uuid uuid,
    c_json json,
    c_jsonb jsonb,
    c_array integer[],
    c_long varchar(3000),
    c_unbounded varchar,
    c_money money
);

-- Every kind of index: a key in other than field order, an expression,
-- a partial, a descending and a covering index.
CREATE TABLE 索引見本 (a integer, b integer, c text, d integer, PRIMARY KEY (b, a));
CREATE INDEX 索引見本_式 ON 索引見本 (lower(c), d);
CREATE UNIQUE INDEX 索引見本_部分 ON 索引見本 (d) WHERE d > 0;
CREATE INDEX 索引見本_降順 ON 索引見本 (d DESC, a);
CREATE INDEX 索引見本_含む ON 索引見本 (a) INCLUDE (b);

CREATE VIEW 受注一覧 AS SELECT 受注番号, 数量 FROM 受注明細;
CREATE MATERIALIZED VIEW 売上集計 AS SELECT 商品コード, sum(数量) AS 数量 FROM 受注明細 GROUP BY 商品コード;

DO $$
BEGIN
    EXECUTE 'CREATE TABLE 項目300 (' ||
        (SELECT string_agg('f' || i || ' integer', ', ') FROM generate_series(1, 300) AS i) || ')';
END $$;

-- Enough tables in one schema for the fields of many to be read at once.
DO $$
BEGIN
    FOR i IN 1..20 LOOP
        EXECUTE format('CREATE TABLE 経理.t%s (id integer PRIMARY KEY, name varchar(10))', lpad(i::text, 2, '0'));
    END LOOP;
END $$;
