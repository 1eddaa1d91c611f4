// Generated valid files (generated/README.md): tens of thousands of
// described fields read whole within the reader's memory limit, and table
// names outside the Basic Multilingual Plane come back whole, each with its
// own fields.

#include <gtest/gtest.h>

#include <cstdlib>

#include "access_fixture.h"
#include "engine/db/access/access_file.h"
#include "temp_dir.h"

namespace kolumbra::testing {
namespace {

std::unique_ptr<db::Database> OpenGenerated(const TempDir& dir, const std::string& name) {
    const std::string path = dir.file(name + ".accdb");
    const std::string unpack =
        "xz -dc '" KOLUMBRA_ACCESS_TEST_DIR "/generated/" + name + ".accdb.xz' > '" + path + "'";
    EXPECT_EQ(std::system(unpack.c_str()), 0) << unpack;
    return db::OpenAccessFile(path);
}

TEST(AccessGeneratedFile, NamesOutsideTheBasicPlaneAreReadWhole) {
    TempDir dir;
    auto database = OpenGenerated(dir, "names-outside-bmp");
    EXPECT_TRUE(TableList(*database).ends_with("\nPlain 00000000\n社員𠀋 00000000\n社員𠮟 00000000\n"));
    EXPECT_EQ(FieldList(TableNamed(*database, "社員𠀋")), "ID 4 4\n");
    EXPECT_EQ(FieldList(TableNamed(*database, "社員𠮟")), "氏名 10 255\n部署 10 255\n");
}

TEST(AccessGeneratedFile, EveryTableAndDescriptionOfALargeCatalogueIsRead) {
    const struct {
        const char* file;
        int tables;
        std::string lastTable;
        std::size_t fields;
        std::string lastDescription;
    } large[] = {
        {"fields-200x255-ja", 200, "表200", 255, "表200の項目255：顧客の氏名と住所を全角で記録する説明文"},
        {"fields-2600x25", 2600, "T2600", 25, "Field 25 of table 2600"},
    };
    for (const auto& c : large) {
        TempDir dir;
        auto database = OpenGenerated(dir, c.file);
        int ordinary = 0;
        for (std::int16_t i = 0; i < database->TableDefCount(); ++i) {
            if (database->TableDefSummary(i).Attributes == 0) ++ordinary;
        }
        EXPECT_EQ(ordinary, c.tables) << c.file;
        const db::TableDef last = TableNamed(*database, c.lastTable);
        ASSERT_EQ(last.Fields.size(), c.fields) << c.file;
        EXPECT_EQ(last.Fields.back().Description, c.lastDescription) << c.file;
    }
}

}  // namespace
}  // namespace kolumbra::testing
