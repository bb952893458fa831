// Prompts that answer from a script and remember what they were asked, for tests of the windows.
#pragma once

#include <QString>
#include <deque>
#include <string_view>
#include <vector>

#include "core/model/ports.h"
#include "render/text/qt_text.h"

class ScriptedPrompts : public qv::Prompts {
  public:
    explicit ScriptedPrompts(qv::PromptAnswer whenUnscripted = qv::PromptAnswer::No)
        : whenUnscripted_(whenUnscripted) {}

    std::deque<qv::PromptAnswer> Answers;  // taken in order; then `whenUnscripted`
    std::vector<QString> Asked;            // every text shown, decoded

    qv::PromptAnswer Warning(std::string_view text, qv::PromptButtons) override {
        return Next(text);
    }
    qv::PromptAnswer Question(std::string_view text, qv::PromptButtons) override {
        return Next(text);
    }

  private:
    qv::PromptAnswer Next(std::string_view text) {
        Asked.push_back(qv::FromCp932(text));
        if (Answers.empty()) return whenUnscripted_;
        const qv::PromptAnswer a = Answers.front();
        Answers.pop_front();
        return a;
    }

    qv::PromptAnswer whenUnscripted_;
};
