#pragma once
// The run-time errors raised for .xlsx/.xlsm packages that cannot be edited
// safely. Each has its own description, so that a user can tell an
// encrypted workbook from a signed one or from a damaged archive.

#include <string>

namespace kolumbra::sheet::ooxml {

// Error 1004 with a description that says why the package was refused.
[[noreturn]] void Refuse(const std::string& why);

inline constexpr const char* kEncrypted =
    "このブックはパスワードで保護 (暗号化) されているため編集できません。";
inline constexpr const char* kNotPackage =
    "ファイルの形式が正しくありません。Excel ブック (.xlsx/.xlsm) ではありません。";
inline constexpr const char* kSigned =
    "このブックにはデジタル署名があります。編集すると署名が無効になるため編集できません。";
inline constexpr const char* kStrict =
    "このブックは Strict Open XML 形式で保存されているため編集できません。通常の Excel ブック形式で保存し直してください。";
inline constexpr const char* kArchiveDamaged =
    "ファイルの管理情報 (ZIP のディレクトリ) が壊れているため、ブックの部品を取り出せません。";
inline constexpr const char* kDuplicateNames =
    "ファイル内に同じ名前の部品が二つ以上あり、どれがブックの部品か決められないため、編集できません。";
inline constexpr const char* kArchiveUnsupported =
    "ファイルが分割された ZIP か、部品が暗号化された ZIP のため編集できません。";
inline constexpr const char* kBackslashNames =
    "ファイル内の部品の名前が区切りに '\\' を使っていて Open XML の規則に合わないため、編集できません。";
inline constexpr const char* kNoWorkbookPart = "ファイルにブックの部品 (workbook.xml) が見つかりません。";
// Name the part.
std::string PartDamaged(const std::string& part);
std::string PartMissing(const std::string& part);
// Names the sheet and says what refers to it.
std::string SheetReferenced(const std::string& sheet, const std::string& referrer);

}  // namespace kolumbra::sheet::ooxml
