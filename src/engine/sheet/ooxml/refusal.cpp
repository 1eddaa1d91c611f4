#include "engine/sheet/ooxml/refusal.h"

#include "common/runtime_error.h"

namespace kolumbra::sheet::ooxml {

void Refuse(const std::string& why) {
    throw RuntimeError(err::ApplicationDefined, why);
}

std::string PartDamaged(const std::string& part) {
    return "ブックの部品 '" + part + "' が壊れているため読み込めません。";
}

std::string PartMissing(const std::string& part) {
    return "ブックの部品 '" + part + "' がありません。";
}

std::string SheetReferenced(const std::string& sheet, const std::string& referrer) {
    return "シート '" + sheet + "' は " + referrer + " から参照されているため、削除できません。";
}

}  // namespace kolumbra::sheet::ooxml
