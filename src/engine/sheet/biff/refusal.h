#pragma once
// The run-time errors raised for workbooks that cannot be edited safely.
// Each check has its own description, so that a user can tell a cut file
// from an encrypted one or from a form the engine does not edit.

#include "common/runtime_error.h"

#include <string>

namespace kolumbra::sheet::biff {

// Error 1004 with a description that says why the file was refused.
[[noreturn]] void Refuse(const std::string& why);

// The compound file around the workbook.
inline constexpr const char* kNotCompoundFile = "ファイルの形式が正しくありません。Excel ブック (.xls) ではありません。";
inline constexpr const char* kOldFormat = "このブックは古い形式 (Excel 95 以前) で保存されているため編集できません。";
inline constexpr const char* kCutInsideSector =
    "ファイルが途中で切れています。ファイルの最後の部分が欠けているため編集できません。";
inline constexpr const char* kNameWithoutNul =
    "ファイル内のデータ (ストリーム) の名前が正しく終わっていません。保存すると名前が変わり、マクロなどが使えなくなるおそれがあるため編集できません。";
inline constexpr const char* kContainerUnreadable =
    "ファイルの管理情報 (ヘッダーまたはディレクトリ) が壊れているため、ファイル内のデータを取り出せません。";
inline constexpr const char* kContainerInconsistent =
    "ファイルの管理情報 (データの配置を示す表) に矛盾があります。データの一部が失われるおそれがあるため編集できません。";
inline constexpr const char* kEntryUnreadable = "ファイル内のデータの一覧 (ディレクトリ) の項目を読み込めません。";
inline constexpr const char* kNoWorkbookStream = "ファイルにブックのデータ (Workbook ストリーム) がありません。";
// Names the stream.
std::string StreamCut(const std::string& stream);

// The Workbook stream.
inline constexpr const char* kStreamTooShort = "ブックのデータ (Workbook ストリーム) が空か、短すぎます。";
inline constexpr const char* kNoBookBof = "ブックのデータがブックの始まりを示すレコード (BOF) で始まっていません。";
inline constexpr const char* kEncrypted = "このブックはパスワードで保護 (暗号化) されているため編集できません。";
inline constexpr const char* kGlobalsCut =
    "ブック全体の情報 (フォント、書式、シートの一覧など) が途中で切れています。";
inline constexpr const char* kGlobalsDamaged =
    "ブック全体の情報 (フォント、書式、シートの一覧、共有文字列など) のレコードが壊れています。";
inline constexpr const char* kNoSheets = "シートがありません。";
inline constexpr const char* kUnlistedData =
    "どのシートにも属さないデータがあります。シートの一覧が欠けているため、保存するとシートが失われるおそれがあります。";
// Name the sheet.
std::string SheetMisplaced(const std::string& sheet);
std::string SheetCut(const std::string& sheet);
std::string SheetsOverlap(const std::string& sheet);
std::string SheetRecordsDamaged(const std::string& sheet);
// A record found malformed only when the workbook is written.
inline constexpr const char* kRecordsDamaged = "ブックのレコードが壊れています。";

// Follows the sheet's name.
inline constexpr const char* kVbaSheet = "には VBA のコード (シート モジュール) があるため、削除できません。";

}  // namespace kolumbra::sheet::biff
