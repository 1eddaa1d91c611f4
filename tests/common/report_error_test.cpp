#include "common/report_error.h"

#include <gtest/gtest.h>

#include "common/runtime_error.h"
#include "scripted_window.h"

namespace kolumbra {
namespace {

TEST(RuntimeErrors, StandardDescriptionsInJapanese) {
    EXPECT_EQ(StandardErrorDescription(5), "プロシージャの呼び出し、または引数が不正です。");
    EXPECT_EQ(StandardErrorDescription(9), "インデックスが有効範囲にありません。");
    EXPECT_EQ(StandardErrorDescription(70), "書き込みできません。");
    EXPECT_EQ(StandardErrorDescription(1004), "アプリケーション定義またはオブジェクト定義のエラーです。");
    EXPECT_EQ(RuntimeError(53).description(), "ファイルが見つかりません。");
    for (int n : {5, 6, 7, 9, 11, 13, 52, 53, 55, 57, 58, 61, 62, 67, 68, 70, 71, 75, 76, 91, 94, 429, 1004}) {
        EXPECT_FALSE(StandardErrorDescription(n).empty()) << n;
    }
}

TEST(RuntimeErrors, NumbersOutsideTheRangeRaiseError5) {
    for (std::int64_t n : {-1LL, 65536LL, -2147467259LL}) {
        try {
            StandardErrorDescription(n);
            FAIL() << n;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 5);
        }
    }
    EXPECT_NO_THROW(StandardErrorDescription(65535));
}

TEST(ReportError, ComposesTheCallersFailure) {
    EXPECT_EQ(ComposeErrorReport("5", "paGetPrivateProfileString"),
              "処理を終了します。\r\n"
              "  CODE : (5) プロシージャの呼び出し、または引数が不正です。\r\n"
              "  RtnName   : paGetPrivateProfileString");
}

TEST(ReportError, ComposesTheLookupFailureWhenTheCodeHasNoDescription) {
    EXPECT_EQ(ComposeErrorReport("-2147467259", "paGetPrivateProfileString"),
              "処理を終了します。\r\n"
              "  CODE : (5) プロシージャの呼び出し、または引数が不正です。\r\n"
              "  FUNCTION : paGetPrivateProfileString");
}

TEST(ReportErrorDeathTest, ShowsTheReportThenEndsWithFailure) {
    EXPECT_EXIT(
        {
            testing::ScriptedWindow window;
            ReportError(window, "70", "paGetPrivateProfileString");
        },
        ::testing::ExitedWithCode(1), "");
}

}  // namespace
}  // namespace kolumbra
