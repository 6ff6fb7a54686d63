// An IProgress for tests: records every call, and answers Prompt and
// ClientError from a script (falling back to fixed answers).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "contract/bstr.h"
#include "contract/interfaces.h"

namespace bkvp::testing {

class RecordingProgress : public bkvp::DispatchObject<IProgress> {
 public:
  struct Step {
    std::string name;
    LONG weight;
  };
  struct Question {
    std::string text;
    UINT type;  // Prompt: the style; ClientError: the error code
    int answer;
    int defaultButton = 0;  // ClientError only
  };

  std::vector<Step> firstSteps;
  std::vector<Step> nextSteps;
  std::vector<std::string> messages;
  std::vector<Question> prompts;
  std::vector<Question> clientErrors;
  // Answers given in order; when empty, defaultPromptAnswer / defaultClientErrorAnswer.
  std::deque<int> promptAnswers;
  std::deque<int> clientErrorAnswers;
  int defaultPromptAnswer = IDOK;
  int defaultClientErrorAnswer = IDIGNORE;

  HRESULT Clean() override { return S_OK; }
  HRESULT FirstStep(BSTR clientName, LONG totalWeight) override {
    firstSteps.push_back({ToAnsi(clientName), totalWeight});
    return S_OK;
  }
  HRESULT NextStep(BSTR objectName, LONG weight) override {
    nextSteps.push_back({ToAnsi(objectName), weight});
    return S_OK;
  }
  HRESULT Message(BSTR msg) override {
    messages.push_back(ToAnsi(msg));
    return S_OK;
  }
  HRESULT Prompt(BSTR text, UINT type, INT* button) override {
    const int answer = Take(promptAnswers, defaultPromptAnswer);
    prompts.push_back({ToAnsi(text), type, answer});
    if (button) *button = answer;
    return S_OK;
  }
  HRESULT ClientError(HRESULT errCode, BSTR errMsg, INT defaultButton, INT* button) override {
    const int answer = Take(clientErrorAnswers, defaultClientErrorAnswer);
    clientErrors.push_back({ToAnsi(errMsg), static_cast<UINT>(errCode), answer, defaultButton});
    if (button) *button = answer;
    return S_OK;
  }

 private:
  static int Take(std::deque<int>& answers, int fallback) {
    if (answers.empty()) return fallback;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
};

}  // namespace bkvp::testing
