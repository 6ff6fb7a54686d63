#include "app/engine/progress_indicator.h"

#include "app/engine/module_registration.h"
#include "app/engine/program_texts.h"
#include "platform/registry.h"
#include "tests/engine/engine_doubles.h"
#include "tests/support/test_support.h"

namespace bkvp::engine {
namespace {

using bkvp::testing::LinesOf;
using bkvp::testing::ReadFile;

class RecordingDisplay : public ProgressDisplay {
 public:
  void SetPosition(int p) override { positions.push_back(p); }
  void SetText(const std::string& t) override { texts.push_back(t); }
  int AskPrompt(const std::string& text, const std::string& caption, unsigned) override {
    asked.push_back(caption + ": " + text);
    return IDRETRY;
  }
  int AskClientError(const std::string& text, const std::string&, int) override {
    asked.push_back(text);
    return IDABORT;
  }
  std::vector<int> positions;
  std::vector<std::string> texts;
  std::vector<std::string> asked;
};

class ProgressIndicatorTest : public bkvp::testing::HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    ASSERT_TRUE(log.Create());
  }
  ComPtr<ProgressIndicator> Make(ProgressDisplay* display, LONG clients) {
    auto p = ComPtr<ProgressIndicator>::Attach(new ProgressIndicator);
    p->Init(display, &log, clients);
    return p;
  }
  std::vector<std::string> LogLines() {
    log.Close();
    return LinesOf(ReadFile(LogPath()));
  }
  RunLog log;
};

TEST(AutomaticAnswers, PromptTakesTheDefaultButtonOfTheStyle) {
  EXPECT_EQ(AutomaticPromptAnswer(0x0), IDOK);
  EXPECT_EQ(AutomaticPromptAnswer(0x111), IDCANCEL);  // OK/Cancel, second button
  EXPECT_EQ(AutomaticPromptAnswer(0x133), IDNO);      // Yes/No/Cancel, second button
  EXPECT_EQ(AutomaticPromptAnswer(0x104), IDNO);
  EXPECT_EQ(AutomaticPromptAnswer(0x202), IDIGNORE);
  EXPECT_EQ(AutomaticPromptAnswer(0x105), IDCANCEL);
  EXPECT_EQ(AutomaticPromptAnswer(0x204), IDYES);   // index past the set: first button
  EXPECT_EQ(AutomaticPromptAnswer(0x6), IDCANCEL);  // a set without an answer
}

TEST(AutomaticAnswers, ClientErrorFollowsTheDefaultButtonNumber) {
  EXPECT_EQ(AutomaticClientErrorAnswer(0), IDRETRY);
  EXPECT_EQ(AutomaticClientErrorAnswer(1), IDIGNORE);
  EXPECT_EQ(AutomaticClientErrorAnswer(2), IDCANCEL);
  EXPECT_EQ(AutomaticClientErrorAnswer(3), IDABORT);
  EXPECT_EQ(AutomaticClientErrorAnswer(4), -1);
  EXPECT_EQ(AnswerName(-1), "");
}

TEST_F(ProgressIndicatorTest, UnattendedQuestionsAreAnsweredAndLogged) {
  auto p = Make(nullptr, 1);
  INT button = 0;
  Bstr question("Replace the file?");
  ASSERT_EQ(p->Prompt(question.get(), 0x104, &button), S_OK);
  EXPECT_EQ(button, IDNO);
  Bstr error("Cannot write /x.");
  ASSERT_EQ(p->ClientError(E_FAIL, error.get(), 1, &button), S_OK);
  EXPECT_EQ(button, IDIGNORE);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"Replace the file? -\"NO\"",
                                                  "Cannot write /x.   \"IGNORE\""}));
}

TEST_F(ProgressIndicatorTest, WithADisplayTheUserIsAskedUnderTheProgramCaption) {
  RecordingDisplay display;
  auto p = Make(&display, 1);
  INT button = 0;
  Bstr question("Insert a disk.");
  p->Prompt(question.get(), 0x5, &button);
  EXPECT_EQ(button, IDRETRY);
  Bstr error("Disk full.");
  p->ClientError(E_FAIL, error.get(), 0, &button);
  EXPECT_EQ(button, IDABORT);
  EXPECT_EQ(display.asked,
            (std::vector<std::string>{"Backup Vopal: Insert a disk.", "Disk full."}));
  EXPECT_EQ(LogLines(),
            (std::vector<std::string>{"Insert a disk. -\"RETRY\"", "Disk full.   \"ABORT\""}));
}

// The log is buffered; what it holds must be in the file whenever a client
// begins and whenever a question waits, as the run may end there.
TEST_F(ProgressIndicatorTest, TheLogFileHoldsEveryLineAtAClientsStartAndWhileAQuestionWaits) {
  class LogReadingDisplay : public RecordingDisplay {
   public:
    int AskPrompt(const std::string&, const std::string&, unsigned) override {
      seen.push_back(ReadFile(LogPath()));
      return IDOK;
    }
    int AskClientError(const std::string&, const std::string&, int) override {
      seen.push_back(ReadFile(LogPath()));
      return IDRETRY;
    }
    std::vector<std::string> seen;
  };
  LogReadingDisplay display;
  auto p = Make(&display, 2);
  log.Write("header\n");
  p->FirstStep(Bstr("Files").get(), 3);
  const std::string atFirstClient = ReadFile(LogPath());
  p->Message(Bstr("File Backup /a OK").get());
  INT button = 0;
  p->Prompt(Bstr("The disk is full.").get(), 0x111, &button);
  p->Message(Bstr("File Backup /b OK").get());
  p->ClientError(E_FAIL, Bstr("Cannot write /c.").get(), 0, &button);
  p->FirstStep(Bstr("Mail").get(), 1);
  const std::string atSecondClient = ReadFile(LogPath());

  EXPECT_EQ(atFirstClient, "header\n");
  ASSERT_EQ(display.seen.size(), 2u);
  EXPECT_EQ(display.seen[0], "header\nFiles\nFile Backup /a OK\n");
  EXPECT_EQ(display.seen[1],
            "header\nFiles\nFile Backup /a OK\nThe disk is full. -\"OK\"\nFile Backup /b OK\n");
  EXPECT_EQ(atSecondClient, display.seen[1] + "Cannot write /c.   \"RETRY\"\n");
}

TEST_F(ProgressIndicatorTest, StepsAdvanceByTruncatedSharesOfTheWholeRun) {
  RecordingDisplay display;
  auto p = Make(&display, 3);
  Bstr client("Files"), object("a.txt");
  p->FirstStep(client.get(), 100);
  for (int i = 0; i < 5; ++i) p->NextStep(object.get(), 20);
  EXPECT_EQ(display.positions, (std::vector<int>{0, 666, 1332, 1998, 2664, 3330}));
  EXPECT_EQ(p->position(), 3330);
  EXPECT_EQ(display.texts.front(), "Files");
  // The client's name is a log line, the steps are not.
  EXPECT_EQ(LogLines(), std::vector<std::string>{"Files"});
}

TEST_F(ProgressIndicatorTest, ATotalWeightOfZeroLeavesThePositionAlone) {
  RecordingDisplay display;
  auto p = Make(&display, 2);
  Bstr client("Empty"), object("x");
  p->FirstStep(client.get(), 0);
  EXPECT_EQ(p->NextStep(object.get(), 5), S_OK);
  EXPECT_EQ(p->position(), 0);
}

TEST_F(ProgressIndicatorTest, WithoutADisplayStepsChangeNothing) {
  auto p = Make(nullptr, 1);
  Bstr client("Files"), object("a");
  p->FirstStep(client.get(), 10);
  p->NextStep(object.get(), 5);
  EXPECT_EQ(p->position(), 0);
}

TEST_F(ProgressIndicatorTest, RegistersAsTheProgramsOwnComponent) {
  ASSERT_TRUE(RegisterProgram("/opt/bkvp/BackupVopal").ok());
  const std::string clsidKey = "HKEY_CLASSES_ROOT\\CLSID\\{ACD03E9E-6CF1-467C-A0E7-42DEF4D69311}";
  EXPECT_EQ(platform::RegReadString(clsidKey, ""), "ProgressIndicator Class");
  EXPECT_EQ(platform::RegReadString(clsidKey + "\\InprocServer32", ""), "/opt/bkvp/BackupVopal");
  EXPECT_EQ(
      platform::RegReadString("HKEY_CLASSES_ROOT\\BackupVopalLib.ProgressIndicator\\CurVer", ""),
      "BackupVopalLib.ProgressIndicator.1");
  ASSERT_TRUE(UnregisterProgram().ok());
  EXPECT_FALSE(platform::RegReadString(clsidKey, "").has_value());
}

}  // namespace
}  // namespace bkvp::engine
