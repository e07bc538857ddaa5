// Every fixed text against the same sentence written here in UTF-8 and
// converted to code page 932 by iconv, so that a wrong byte in the
// program's literals cannot hide behind the same wrong byte in a test.
#include <gtest/gtest.h>

#include <string>

#include "cleanup/texts.h"
#include "tests/encoding.h"

namespace {

using testing_support::Cp932;

TEST(Texts, AreTheSentencesInCodePage932) {
    const std::pair<const char*, std::string> texts[] = {
        {cleanup::kDialogTitle, "Zelkor / CLEANUP"},
        {cleanup::kClientRunningText, "Windows版Zelkorを終了してから実行してください"},
        {cleanup::kLookupFailedText, "CSIDL_LOCAL_APPDATA failed"},
        {cleanup::kPromptIntro, "Windows版Zelkorが使用しているファイルを全て削除します。\r\n"},
        {cleanup::kPromptIdOpen, "前回のID入力情報 : 【"},
        {cleanup::kPromptIdClose, "】\r\n\r\n"},
        {cleanup::kPromptIdDeleted, "- IDなどの入力情報は削除されます\r\n"},
        {cleanup::kPromptBackUpId, "- IDをメモ帳などにバックアップしてください\r\n"},
        {cleanup::kPromptRecordsKept, "- ダウンロードした牌譜は削除されません\r\n"},
        {cleanup::kPromptFlashKept, "- Flash版の情報は削除されません\r\n"},
        {cleanup::kPromptQuestion, "よろしいですか？"},
        {cleanup::kReportFile, "File : "},
        {cleanup::kReportDirectory, "Directory : "},
        {cleanup::kReportClosing, "以上の情報が削除できませんでした。"},
        {cleanup::kDeletedText, "削除しました"},
    };
    for (const auto& [bytes, sentence] : texts) {
        EXPECT_EQ(std::string(bytes), Cp932(sentence)) << sentence;
    }
}

}  // namespace
