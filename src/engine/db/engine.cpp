#include "common/runtime_error.h"
#include "engine/db/access/access_file.h"
#include "engine/db/database.h"
#include "engine/db/odbc/odbc_source.h"

namespace kolumbra::db {

namespace {

class Engine : public DbEngine {
public:
    std::unique_ptr<Database> OpenDatabase(const std::string& name, const DataSourceChooser& choose) override {
        if (!name.empty()) return OpenAccessFile(name);
        std::optional<std::string> dsn = choose ? choose() : std::nullopt;
        if (!dsn) throw RuntimeError(dberr::OperationCancelled, "操作は取り消されました。");
        return OpenOdbcSource(*dsn);
    }
};

}  // namespace

std::unique_ptr<DbEngine> MakeDbEngine() { return std::make_unique<Engine>(); }

}  // namespace kolumbra::db
