#include "engine/sheet/biff/refusal.h"

namespace kolumbra::sheet::biff {

void Refuse(const std::string& why) {
    throw RuntimeError(err::ApplicationDefined, why);
}

std::string StreamCut(const std::string& stream) {
    // Names like "\x05SummaryInformation" begin with a control character.
    std::string shown;
    for (char c : stream)
        if (static_cast<unsigned char>(c) >= 0x20) shown += c;
    return "ファイル内のデータ '" + shown + "' を最後まで読み込めません。途中で切れているか、長さが正しくありません。";
}

std::string SheetMisplaced(const std::string& sheet) {
    return "シート '" + sheet + "' の位置を示す情報が、シートのデータの先頭を指していません。";
}

std::string SheetCut(const std::string& sheet) {
    return "シート '" + sheet + "' のデータが途中で切れています。";
}

std::string SheetsOverlap(const std::string& sheet) {
    return "シート '" + sheet + "' のデータが別のシートのデータと重なっています。";
}

std::string SheetRecordsDamaged(const std::string& sheet) {
    return "シート '" + sheet + "' のセルのデータが壊れています。";
}

}  // namespace kolumbra::sheet::biff
