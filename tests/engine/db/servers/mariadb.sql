-- The sales schema of the MariaDB tests: a second database holding a table
-- of a name the connected database also has, a view, every column type.
CREATE DATABASE shop CHARACTER SET utf8mb4 COLLATE utf8mb4_bin;
CREATE DATABASE archive CHARACTER SET utf8mb4 COLLATE utf8mb4_bin;

CREATE TABLE archive.商品マスタ (
    勘定科目 varchar(10) PRIMARY KEY,
    原価 decimal(12,0)
);

USE shop;

CREATE TABLE 商品マスタ (
    商品コード char(8) PRIMARY KEY,
    商品名 varchar(40) NOT NULL COMMENT '正式な商品名',
    単価 decimal(10,2)
) COMMENT '販売する商品';

CREATE TABLE 受注明細 (
    受注番号 int,
    行番号 smallint,
    伝票番号 varchar(12),
    商品コード char(8),
    数量 int,
    備考 text,
    PRIMARY KEY (受注番号, 行番号),
    UNIQUE INDEX 受注明細_伝票 (伝票番号),
    INDEX 受注明細_商品 (商品コード),
    FOREIGN KEY (商品コード) REFERENCES 商品マスタ (商品コード)
);

CREATE TABLE 型見本 (
    c_integer int,
    c_smallint smallint,
    c_bigint bigint,
    c_numeric decimal(10,2),
    c_real float,
    c_double double,
    c_char char(5),
    c_varchar varchar(20),
    c_text text,
    c_date date,
    c_time time,
    c_timestamp datetime,
    c_boolean boolean,
    c_blob blob,
    c_json json,
    c_enum enum('見積', '受注', '出荷')
);

-- A key in other than field order, a unique index over a prefix, a
-- descending index.
CREATE TABLE 索引見本 (
    a int, b int, c varchar(20), d int,
    PRIMARY KEY (b, a),
    UNIQUE INDEX 索引見本_前 (d, c(5)),
    INDEX 索引見本_降順 (d DESC, a)
);

CREATE VIEW 受注一覧 AS SELECT 受注番号, 数量 FROM 受注明細;

SET SESSION group_concat_max_len = 100000;
SELECT CONCAT('CREATE TABLE 項目300 (', GROUP_CONCAT(CONCAT('f', seq, ' int') ORDER BY seq SEPARATOR ', '), ')')
    INTO @wide FROM seq_1_to_300;
PREPARE wide FROM @wide;
EXECUTE wide;

-- Enough tables in one database for the fields of many to be read at once.
DELIMITER //
CREATE PROCEDURE make_tables()
BEGIN
    DECLARE i INT DEFAULT 1;
    WHILE i <= 20 DO
        SET @create = CONCAT('CREATE TABLE t', LPAD(i, 2, '0'), ' (id int PRIMARY KEY, name varchar(10))');
        PREPARE create_table FROM @create;
        EXECUTE create_table;
        DEALLOCATE PREPARE create_table;
        SET i = i + 1;
    END WHILE;
END //
DELIMITER ;
CALL make_tables();
DROP PROCEDURE make_tables;
