-- A small Japanese sales database to try Kolumbra on through ODBC.
-- The build turns it into kolumbra-sample.db with sqlite3.

PRAGMA foreign_keys = ON;
BEGIN;

CREATE TABLE 部署マスタ (
    部署コード CHAR(4) NOT NULL PRIMARY KEY,
    部署名 VARCHAR(30) NOT NULL,
    上位部署コード CHAR(4)
);

CREATE TABLE 社員マスタ (
    社員コード CHAR(6) NOT NULL PRIMARY KEY,
    氏名 VARCHAR(40) NOT NULL,
    氏名カナ VARCHAR(60),
    部署コード CHAR(4) REFERENCES 部署マスタ (部署コード),
    入社日 DATE,
    生年月日 DATE,
    内線番号 SMALLINT,
    管理職 BIT,
    備考 TEXT
);

-- The one wide table: every detail a customer record carries.
CREATE TABLE 得意先マスタ (
    得意先コード CHAR(8) NOT NULL PRIMARY KEY,
    得意先名 VARCHAR(60) NOT NULL,
    得意先名カナ VARCHAR(60),
    略称 VARCHAR(20),
    郵便番号 CHAR(8),
    都道府県 VARCHAR(10),
    住所1 VARCHAR(60),
    住所2 VARCHAR(60),
    電話番号 VARCHAR(15),
    FAX番号 VARCHAR(15),
    メールアドレス VARCHAR(80),
    担当部署 VARCHAR(30),
    担当者名 VARCHAR(40),
    担当者カナ VARCHAR(60),
    営業担当社員 CHAR(6) REFERENCES 社員マスタ (社員コード),
    業種区分 TINYINT,
    取引区分 TINYINT,
    締日 TINYINT,
    支払月区分 TINYINT,
    支払日 TINYINT,
    支払方法 VARCHAR(10),
    与信限度額 DECIMAL(12, 0),
    売掛残高 DECIMAL(12, 0),
    前月繰越額 DECIMAL(12, 0),
    掛率 REAL,
    消費税区分 TINYINT,
    端数処理区分 TINYINT,
    請求先コード CHAR(8),
    請求書発行 BIT,
    納品書発行 BIT,
    取引開始日 DATE,
    最終取引日 DATE,
    登録日時 TIMESTAMP,
    更新日時 TIMESTAMP,
    登録者 CHAR(6),
    更新者 CHAR(6),
    取引停止 BIT,
    年間売上目標 INTEGER,
    地図 BLOB,
    備考 TEXT
);

CREATE TABLE 仕入先マスタ (
    仕入先コード CHAR(8) NOT NULL PRIMARY KEY,
    仕入先名 VARCHAR(60) NOT NULL,
    電話番号 VARCHAR(15),
    締日 TINYINT
);

CREATE TABLE 商品分類マスタ (
    分類コード CHAR(3) NOT NULL PRIMARY KEY,
    分類名 VARCHAR(30) NOT NULL
);

CREATE TABLE 商品マスタ (
    商品コード CHAR(10) NOT NULL PRIMARY KEY,
    商品名 VARCHAR(60) NOT NULL,
    JANコード CHAR(13) NOT NULL,
    分類コード CHAR(3) REFERENCES 商品分類マスタ (分類コード),
    仕入先コード CHAR(8) REFERENCES 仕入先マスタ (仕入先コード),
    標準単価 DECIMAL(10, 0),
    原価 DECIMAL(10, 2),
    重量 DOUBLE,
    販売開始日 DATE
);
CREATE UNIQUE INDEX 商品マスタ_JANコード ON 商品マスタ (JANコード);

CREATE TABLE 倉庫マスタ (
    倉庫コード CHAR(2) NOT NULL PRIMARY KEY,
    倉庫名 VARCHAR(30) NOT NULL
);

CREATE TABLE 在庫データ (
    倉庫コード CHAR(2) NOT NULL REFERENCES 倉庫マスタ (倉庫コード),
    商品コード CHAR(10) NOT NULL REFERENCES 商品マスタ (商品コード),
    在庫数 INTEGER NOT NULL DEFAULT 0,
    棚卸日 DATE,
    PRIMARY KEY (倉庫コード, 商品コード)
);

CREATE TABLE 受注データ (
    受注番号 INTEGER NOT NULL PRIMARY KEY,
    受注日 DATE NOT NULL,
    得意先コード CHAR(8) NOT NULL REFERENCES 得意先マスタ (得意先コード),
    担当社員 CHAR(6) REFERENCES 社員マスタ (社員コード),
    納期 DATE,
    摘要 VARCHAR(100)
);
CREATE INDEX 受注データ_得意先 ON 受注データ (得意先コード, 受注日);

CREATE TABLE 受注明細データ (
    受注番号 INTEGER NOT NULL REFERENCES 受注データ (受注番号),
    行番号 SMALLINT NOT NULL,
    商品コード CHAR(10) NOT NULL REFERENCES 商品マスタ (商品コード),
    数量 INTEGER NOT NULL,
    単価 DECIMAL(10, 0) NOT NULL,
    PRIMARY KEY (受注番号, 行番号)
);

CREATE TABLE 売上データ (
    売上番号 INTEGER NOT NULL PRIMARY KEY,
    受注番号 INTEGER REFERENCES 受注データ (受注番号),
    売上日 DATE NOT NULL,
    得意先コード CHAR(8) NOT NULL REFERENCES 得意先マスタ (得意先コード),
    売上金額 DECIMAL(12, 0),
    消費税額 DECIMAL(12, 0)
);

CREATE TABLE 入金データ (
    入金番号 INTEGER NOT NULL PRIMARY KEY,
    得意先コード CHAR(8) NOT NULL REFERENCES 得意先マスタ (得意先コード),
    入金日 DATE NOT NULL,
    入金額 DECIMAL(12, 0) NOT NULL,
    入金方法 VARCHAR(10)
);

-- A view is no ordinary table: the table list leaves it out.
CREATE VIEW 得意先別売上 AS
    SELECT 得意先コード, SUM(売上金額) AS 売上合計 FROM 売上データ GROUP BY 得意先コード;

INSERT INTO 部署マスタ VALUES ('1000', '営業部', NULL), ('1100', '東京営業課', '1000'), ('2000', '管理部', NULL);
INSERT INTO 社員マスタ (社員コード, 氏名, 氏名カナ, 部署コード, 入社日, 管理職) VALUES
    ('000101', '山田 太郎', 'ヤマダ タロウ', '1000', '2001-04-01', 1),
    ('000215', '佐藤 花子', 'サトウ ハナコ', '1100', '2010-04-01', 0);
INSERT INTO 得意先マスタ (得意先コード, 得意先名, 得意先名カナ, 郵便番号, 都道府県, 住所1, 営業担当社員, 締日) VALUES
    ('T0000001', '株式会社みなと商事', 'ミナトショウジ', '105-0011', '東京都', '港区芝公園1-1', '000215', 20);
INSERT INTO 仕入先マスタ VALUES ('S0000001', '北辰製作所', '03-0000-0000', 31);
INSERT INTO 商品分類マスタ VALUES ('A01', '文具'), ('B02', '事務機器');
INSERT INTO 商品マスタ VALUES
    ('P000000001', 'ボールペン 黒', '4900000000011', 'A01', 'S0000001', 120, 60.50, 0.01, '2015-01-10');
INSERT INTO 倉庫マスタ VALUES ('01', '本社倉庫');
INSERT INTO 在庫データ VALUES ('01', 'P000000001', 500, '2024-03-31');
INSERT INTO 受注データ VALUES (1, '2024-04-02', 'T0000001', '000215', '2024-04-10', '初回注文');
INSERT INTO 受注明細データ VALUES (1, 1, 'P000000001', 100, 120);
INSERT INTO 売上データ VALUES (1, 1, '2024-04-10', 'T0000001', 12000, 1200);

COMMIT;
