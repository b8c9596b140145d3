#include "session/CommandForms.h"

#include <ostream>

#include "frontend/Conversions.h"

const CommandForm* CommandForms::option(const std::string& word) const {
  for (const CommandForm& form : fForms) {
    if (form.kind != CommandForm::OPTION) continue;
    if (word == form.word || (form.alias != nullptr && word == form.alias)) return &form;
  }
  return nullptr;
}

const CommandForm* CommandForms::named(const std::string& word) const {
  std::string folded = word;
  Conversions::toUpper(folded);
  for (const CommandForm& form : fForms) {
    if (form.kind != CommandForm::OPTION && folded == form.word) return &form;
  }
  return nullptr;
}

int CommandForms::run(const Words& words, std::set<std::string>* written) const {
  const CommandForm* form = named(words.front());
  if (form == nullptr || form->kind == CommandForm::SESSION) return fKeys(words);
  return written != nullptr && form->check != nullptr ? form->check(words, *written) : form->run(words);
}

std::vector<std::string> CommandForms::words(bool session) const {
  std::vector<std::string> words;
  for (const CommandForm& form : fForms) {
    if (form.kind != CommandForm::OPTION && (session || form.kind != CommandForm::SESSION)) {
      words.emplace_back(form.word);
    }
  }
  return words;
}

std::vector<std::string> CommandForms::options() const {
  std::vector<std::string> options;
  for (const CommandForm& form : fForms) {
    if (form.kind != CommandForm::OPTION) continue;
    if (form.alias != nullptr) options.emplace_back(form.alias);
    options.emplace_back(form.word);
  }
  return options;
}

std::map<std::string, std::vector<std::string>> CommandForms::arguments() const {
  std::map<std::string, std::vector<std::string>> arguments;
  for (const CommandForm& form : fForms) {
    if (form.arguments != nullptr) arguments[form.word] = form.arguments();
  }
  return arguments;
}

void CommandForms::writeLine(std::ostream& out, const std::string& synopsis, const std::string& summary) {
  out << "  " << synopsis << std::string(synopsis.size() < 28 ? 28 - synopsis.size() : 1, ' ') << summary
      << std::endl;
}

void CommandForms::writeKeysLine(std::ostream& out) {
  writeLine(out, "TOKEN...", "press keys and compound commands in order");
}

void CommandForms::writeLines(std::ostream& out, std::initializer_list<CommandForm::Kind> kinds) const {
  for (const CommandForm& form : fForms) {
    for (CommandForm::Kind kind : kinds) {
      if (form.kind == kind) writeLine(out, form.synopsis, form.summary);
    }
  }
}
