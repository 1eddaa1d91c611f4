#include "server_fixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kolumbra::testing {

namespace {

// psqlODBC's defaults: boolean as varchar(5) (BoolsAsChar=1), text as a long
// varchar (TextAsLongVarchar=1), types it does not know as varchar(255)
// (UnknownsAsLongVarchar=0, MaxVarcharSize=255); double precision as FLOAT.
// varchar, long or without a length, and money as declared.
const char* const PostgreSqlTypes =
    "c_integer 4 4 Long 長整数型\nc_smallint 3 2 Integer 整数型\nc_bigint 16 8 Bigint Bigint型\n"
    "c_numeric 19 16 Numeric Numeric 型\nc_real 6 4 Single 単精度浮動小数点数型\n"
    "c_double 21 8 Float 浮動小数点数型\nc_char 18 5 CHAR CHAR 型\nc_varchar 10 20 Text テキスト型\n"
    "c_text 12 0 Memo メモ型\nc_date 8 8 Date 日付 / 時刻型\nc_time 22 8 Time 時刻型\n"
    "c_timestamp 23 8 TimeStp タイムスタンプ型\nc_boolean 10 5 Text テキスト型\n"
    "c_bytea 11 0 LBinary ロング バイナリ型\nc_uuid 15 16 GUID GUID 型\nc_json 10 255 Text テキスト型\n"
    "c_jsonb 10 255 Text テキスト型\nc_array 10 255 Text テキスト型\nc_long 10 3000 Text テキスト型\n"
    "c_unbounded 12 0 Memo メモ型\nc_money 5 8 Currency 通貨型\n";

// MariaDB's boolean is tinyint(1), json a longtext; an enum is a char of
// its longest value.
const char* const MariaDbTypes =
    "c_integer 4 4 Long 長整数型\nc_smallint 3 2 Integer 整数型\nc_bigint 16 8 Bigint Bigint型\n"
    "c_numeric 20 16 Decimal 10 進型\nc_real 6 4 Single 単精度浮動小数点数型\n"
    "c_double 7 8 Double 倍精度浮動小数点数型\nc_char 18 5 CHAR CHAR 型\nc_varchar 10 20 Text テキスト型\n"
    "c_text 12 0 Memo メモ型\nc_date 8 8 Date 日付 / 時刻型\nc_time 22 8 Time 時刻型\n"
    "c_timestamp 23 8 TimeStp タイムスタンプ型\nc_boolean 2 1 Byte バイト型\n"
    "c_blob 11 0 LBinary ロング バイナリ型\nc_json 12 0 Memo メモ型\nc_enum 18 2 CHAR CHAR 型\n";

// t01 to t20, with a prefix.
std::vector<std::string> SmallTables(const std::string& prefix) {
    std::vector<std::string> names;
    for (int i = 1; i <= 20; ++i) names.push_back(prefix + (i < 10 ? "t0" : "t") + std::to_string(i));
    return names;
}

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b,
                                const std::vector<std::string>& c) {
    a.insert(a.end(), b.begin(), b.end());
    a.insert(a.end(), c.begin(), c.end());
    return a;
}

}  // namespace

std::vector<Server> Servers() {
    return {
        {"PostgreSQL", "Kolumbra PostgreSQL",
         Joined({"受注明細", "商品マスタ", "型見本", "索引見本"}, SmallTables("経理."), {"経理.商品マスタ", "項目300"}),
         PostgreSqlTypes},
        {"MariaDB", "Kolumbra MariaDB", Joined(SmallTables(""), {"受注明細", "商品マスタ", "型見本"}, {"索引見本", "項目300"}),
         MariaDbTypes},
    };
}

std::string ConnectionStringOf(const Server& server) {
    std::ifstream ini(std::string(KOLUMBRA_SERVERS_STATE) + "/odbc.ini");
    std::string line, items;
    bool inSection = false;
    while (std::getline(ini, line)) {
        if (line.starts_with("[")) {
            inSection = line == "[" + server.dsn + "]";
        } else if (inSection && !line.empty()) {
            items += line + ";";
        }
    }
    return items;
}

std::string WhyNotRunning(const Server& server) {
    const std::string state = KOLUMBRA_SERVERS_STATE;
    std::ifstream runtime(state + "/runtime");
    if (!runtime) return "the database servers were not started: run this test through ctest";
    ::setenv("ODBCINI", (state + "/odbc.ini").c_str(), 1);
    ::setenv("ODBCSYSINI", state.c_str(), 1);
    std::ifstream missingFile(state + "/missing");
    std::string line;
    while (std::getline(missingFile, line)) {
        if (line == server.kind) return server.kind + " is not installed on this machine (scripts/setup installs it)";
    }
    return "";
}

}  // namespace kolumbra::testing
