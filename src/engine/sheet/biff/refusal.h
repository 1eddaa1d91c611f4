#pragma once
// The run-time errors raised for workbooks that cannot be edited safely.

#include "common/runtime_error.h"

#include <string>

namespace kolumbra::sheet::biff {

// Error 1004 with a description that says why the file was refused.
[[noreturn]] void Refuse(const std::string& why);

inline constexpr const char* kNotCompoundFile = "ファイルの形式が正しくありません。Excel ブック (.xls) ではありません。";
inline constexpr const char* kNoWorkbookStream = "ファイルにブックのデータ (Workbook ストリーム) がありません。";
inline constexpr const char* kOldFormat = "このブックは古い形式 (Excel 95 以前) で保存されているため編集できません。";
inline constexpr const char* kEncrypted = "このブックはパスワードで保護 (暗号化) されているため編集できません。";
inline constexpr const char* kDamaged = "ブックのデータが壊れているか途中で切れているため編集できません。";
// Follows the sheet's name.
inline constexpr const char* kVbaSheet = "には VBA のコード (シート モジュール) があるため、削除できません。";

}  // namespace kolumbra::sheet::biff
