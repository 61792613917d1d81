#pragma once
// Test double for UserDialogs: records every message, input and file request, and
// answers from queues (default: Ok / Yes for messages, cancel for inputs and files).

#include <deque>
#include <vector>

#include "ui/UserDialogs.h"

namespace harkola::test {

class ScriptedDialogs : public UserDialogs {
 public:
  ScriptedDialogs() { setDialogs(this); }
  ~ScriptedDialogs() override { setDialogs(nullptr); }

  std::vector<Notice> messages;
  std::vector<QString> inputPrompts;
  std::vector<FileDialogRequest> fileRequests;
  int beeps = 0;

  std::deque<Answer> answers;                   // for messages; empty: Ok, or Yes for YesNo
  std::deque<std::optional<QString>> inputs;    // empty: Cancel
  std::deque<FileDialogResult> files;           // empty: cancelled

  Answer message(QWidget*, const Notice& n) override {
    messages.push_back(n);
    if (!answers.empty()) {
      Answer a = answers.front();
      answers.pop_front();
      return a;
    }
    return n.buttons == NoticeButtons::YesNo ? Answer::Yes : Answer::Ok;
  }
  std::optional<QString> input(QWidget*, const QString& prompt, const QString&,
                               const QString&) override {
    inputPrompts.push_back(prompt);
    if (inputs.empty()) return std::nullopt;
    std::optional<QString> v;
    v.swap(inputs.front());
    inputs.pop_front();
    return v;
  }
  FileDialogResult file(QWidget*, const FileDialogRequest& r) override {
    fileRequests.push_back(r);
    if (files.empty()) return {};
    auto v = files.front();
    files.pop_front();
    return v;
  }
  void beep() override { ++beeps; }

  std::vector<std::string> texts() const {
    std::vector<std::string> t;
    for (const auto& m : messages) t.push_back(m.text);
    return t;
  }
};

}  // namespace harkola::test
