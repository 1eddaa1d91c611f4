// Valid files with tens of thousands of described fields read whole: the
// reader's memory limit holds a catalogue of that size.

#include <gtest/gtest.h>

#include <cstdlib>

#include "access_fixture.h"
#include "engine/db/access/access_file.h"
#include "temp_dir.h"

namespace kolumbra::testing {
namespace {

TEST(AccessLargeCatalogue, EveryTableAndDescriptionIsRead) {
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
        const std::string path = dir.file(std::string(c.file) + ".accdb");
        const std::string unpack = "xz -dc '" KOLUMBRA_ACCESS_TEST_DIR "/large/" + std::string(c.file) +
                                   ".accdb.xz' > '" + path + "'";
        ASSERT_EQ(std::system(unpack.c_str()), 0) << unpack;
        auto database = db::OpenAccessFile(path);
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
