// A UiPort that records what the logic showed and answers from a script.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "record/ui_port.h"

struct RecordedBox {
  std::u16string text, caption;
  int flags;
};

class RecordingUi : public UiPort {
public:
  RecordingUi() { previous_ = SetUi(this); }
  ~RecordingUi() override { SetUi(previous_); }

  int MessageBox(const std::u16string& text, const std::u16string& caption, int flags) override {
    boxes.push_back({text, caption, flags});
    if (!answers.empty()) {
      int a = answers.front();
      answers.pop_front();
      return a;
    }
    int kind = flags & 0xF;
    return (kind == kMbYesNo || kind == kMbYesNoCancel) ? kIdYes : kIdOk;
  }
  void SetStatusText(const std::u16string& text) override { status.push_back(text); }
  void PlayWarningSound() override { ++warnings; }

  std::vector<RecordedBox> boxes;
  std::vector<std::u16string> status;
  std::deque<int> answers;  // next answers to questions
  int warnings = 0;

private:
  UiPort* previous_ = nullptr;
};
