#include "common/runtime_error.h"

#include <map>

namespace kolumbra {

namespace {

const std::map<std::int64_t, std::string>& descriptions() {
    static const std::map<std::int64_t, std::string> table = {
        {3, "Return に対応する GoSub がありません。"},
        {5, "プロシージャの呼び出し、または引数が不正です。"},
        {6, "オーバーフローしました。"},
        {7, "メモリが不足しています。"},
        {9, "インデックスが有効範囲にありません。"},
        {10, "この配列は固定されているか、または一時的にロックされています。"},
        {11, "0 で除算しました。"},
        {13, "型が一致しません。"},
        {14, "文字列領域が不足しています。"},
        {16, "式が複雑すぎます。"},
        {17, "要求された操作は実行できません。"},
        {18, "ユーザーによって割り込みが発生しました。"},
        {20, "エラーが発生していないときに Resume を実行しようとしました。"},
        {28, "スタック領域が不足しています。"},
        {35, "Sub、Function または Property プロシージャが定義されていません。"},
        {47, "DLL アプリケーションのクライアントが多すぎます。"},
        {48, "DLL 読み込み時のエラーです。"},
        {49, "DLL の呼び出し規約が不正です。"},
        {51, "内部エラーです。"},
        {52, "ファイル名または番号が不正です。"},
        {53, "ファイルが見つかりません。"},
        {54, "ファイル モードが不正です。"},
        {55, "ファイルは既に開かれています。"},
        {57, "デバイス I/O エラーです。"},
        {58, "既に同名のファイルが存在しています。"},
        {59, "レコード長が一致しません。"},
        {61, "ディスクの空き容量が不足しています。"},
        {62, "ファイルにこれ以上データがありません。"},
        {63, "レコード番号が不正です。"},
        {67, "ファイルが多すぎます。"},
        {68, "デバイスが準備されていません。"},
        {70, "書き込みできません。"},
        {71, "ディスクが準備されていません。"},
        {74, "ディスク名が異なります。"},
        {75, "パス名が無効です。"},
        {76, "パスが見つかりません。"},
        {91, "オブジェクト変数または With ブロック変数が設定されていません。"},
        {92, "For ループが初期化されていません。"},
        {93, "パターン文字列が不正です。"},
        {94, "Null の使い方が不正です。"},
        {380, "プロパティの値が不正です。"},
        {424, "オブジェクトが必要です。"},
        {429, "ActiveX コンポーネントはオブジェクトを作成できません。"},
        {438, "オブジェクトは、このプロパティまたはメソッドをサポートしていません。"},
        {440, "オートメーション エラーです。"},
        {1004, "アプリケーション定義またはオブジェクト定義のエラーです。"},
    };
    return table;
}

}  // namespace

RuntimeError::RuntimeError(std::int32_t number)
    : RuntimeError(number, StandardErrorDescription(number)) {}

RuntimeError::RuntimeError(std::int32_t number, std::string description)
    : std::runtime_error(description), number_(number), description_(std::move(description)) {}

std::string StandardErrorDescription(std::int64_t number) {
    if (number < 0 || number > 65535) {
        throw RuntimeError(err::InvalidCall);
    }
    if (number == 0) {
        return {};
    }
    const auto& table = descriptions();
    if (auto it = table.find(number); it != table.end()) {
        return it->second;
    }
    // Numbers the runtime does not name read as user-defined errors.
    return "アプリケーション定義またはオブジェクト定義のエラーです。";
}

}  // namespace kolumbra
