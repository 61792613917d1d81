#pragma once
// Test double for UserDialogs: records every message and input prompt, and
// answers from queues (default: Ok / Yes for messages, cancel for inputs and files).

#include <deque>
#include <utility>
#include <vector>

#include "ui/UserDialogs.h"

namespace harkola::test {

class ScriptedDialogs : public UserDialogs {
 public:
  ScriptedDialogs() { setDialogs(this); }
  ~ScriptedDialogs() override { setDialogs(nullptr); }

  std::vector<Notice> messages;
  std::vector<QString> inputPrompts;
  int beeps = 0;

  std::deque<Answer> answers;                   // for messages; empty: Ok, or Yes for YesNo
  std::deque<std::optional<QString>> inputs;    // empty: Cancel
  std::deque<FileDialogResult> files;           // empty: cancelled

  Answer message(QWidget*, const Notice& n) override {
    messages.push_back(n);
    return next(answers, n.buttons == NoticeButtons::YesNo ? Answer::Yes : Answer::Ok);
  }
  std::optional<QString> input(QWidget*, const QString& prompt, const QString&,
                               const QString&) override {
    inputPrompts.push_back(prompt);
    return next(inputs, std::optional<QString>());
  }
  FileDialogResult file(QWidget*, const FileDialogRequest&) override {
    return next(files, FileDialogResult());
  }
  void beep() override { ++beeps; }

  std::vector<std::string> texts() const {
    std::vector<std::string> t;
    for (const auto& m : messages) t.push_back(m.text);
    return t;
  }

 private:
  // The first scripted answer, taken off its queue; `answer` when none is left.
  template <class T>
  static T next(std::deque<T>& queue, T answer) {
    if (queue.empty()) return answer;
    std::swap(answer, queue.front());
    queue.pop_front();
    return answer;
  }
};

}  // namespace harkola::test
