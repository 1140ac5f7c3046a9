#include "gui/shell/core/journal.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "gui/shell/core/command_steps.h"
#include "gui/shell/core/menu_table.h"

namespace kv {
namespace {

// Commands that no menu entry starts directly.
struct NamedCommand {
  int code;
  const char* path;
};
constexpr NamedCommand kDialogCommands[] = {
    {kCodePotentialInlet, "Simulation > Boundary Conditions > Potential Inlet"},
    {kCodeInletNodes, "Simulation > Boundary Conditions > Inlet"},
    {kCodeInletFaces, "Simulation > Boundary Conditions > Inlet Faces"},
    {kCodeOutletFaces, "Simulation > Boundary Conditions > Outlet"},
    {kCodeAssign, "Properties > View > Assign"},
    {kCodeAssignAll, "Properties > View > Assign All"},
    {kCodeValueAtCursor, "Results > Query > Value (Interactive)"},
    {kCodeValueTimesArea, "Results > Query > Value x Area"},
    {kCodeElementPlot, "Results > Plot > Element Profile"},
};

// Menu path of command identifier `id` ("Mesh > Create > Node"), empty when
// the menu has no such entry.
std::string MenuPath(int id) {
  std::vector<std::string> levels;
  for (const MenuRow& r : MainMenuRows()) {
    if (r.kind == kMenuPopup) levels.push_back(PlainCaption(r.caption));
    if (r.kind == kMenuEnd && !levels.empty()) levels.pop_back();
    if (r.kind != kMenuCommand || r.id != id) continue;
    std::string path;
    for (const std::string& level : levels) path += level + " > ";
    return path + PlainCaption(r.caption);
  }
  return std::string();
}

// Lower case, blanks around '>' removed, surrounding blanks removed.
std::string Normalised(const std::string& line) {
  std::string out;
  for (char c : line) {
    if (c == '>') {
      while (!out.empty() && out.back() == ' ') out.pop_back();
      out += '>';
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c)) && (out.empty() || out.back() == '>' || out.back() == ' '))
      continue;
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// Every command code with a journal line.
std::vector<int> JournalCodes() {
  std::vector<int> codes;
  for (int code = 1; code <= kCodePropertyQueryElement; ++code)
    if (!JournalCommandLine(code).empty()) codes.push_back(code);
  return codes;
}

}  // namespace

std::string JournalCommandLine(int code) {
  for (const NamedCommand& c : kDialogCommands)
    if (c.code == code) return c.path;
  for (const MenuRow& r : MainMenuRows())
    if (r.kind == kMenuCommand && InterpretedCommandOf(r.id) == code) return MenuPath(r.id);
  return std::string();
}

int JournalCommandCode(const std::string& line) {
  const std::string wanted = Normalised(line);
  for (int code : JournalCodes())
    if (Normalised(JournalCommandLine(code)) == wanted) return code;
  return 0;
}

std::string JournalText(const Journal& journal) {
  std::string text = "# kavitron command journal\n";
  for (const std::string& line : journal.lines) text += line + "\n";
  return text;
}

int WriteJournalFile(const Journal& journal, const std::string& path) {
  const std::string temporary = path + ".tmp";
  const std::string text = JournalText(journal);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return 0;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      std::remove(temporary.c_str());
      return 0;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return 0;
  }
  return 1;
}

int ReplayJournal(CommandContext& ctx, const std::string& text, const std::string& file, std::string* error) {
  EndCommand(ctx);  // a journal starts with no command running
  std::istringstream in(text);
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& reason) {
    *error = file + ":" + std::to_string(number) + ": " + reason;
    return 0;
  };
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '#') continue;
    if (line.find('>') != std::string::npos) {
      const int code = JournalCommandCode(line);
      if (code == 0) return fail("unknown command \"" + line + "\"");
      RunCommand(ctx, code);
      continue;
    }
    if (ctx.state->command == 0) {
      if (line.find_first_not_of(" \t") == std::string::npos) continue;  // blank between commands
      return fail("no command is running for \"" + line + "\"");
    }
    if (line.size() > kCommandLineLimit)
      return fail("line longer than " + std::to_string(kCommandLineLimit) + " characters");
    ctx.state->refused = false;
    TakeCommandLine(ctx, line);
    if (ctx.state->refused) return fail("answer \"" + line + "\" refused at \"" + ctx.state->prompt + "\"");
  }
  return 1;
}

int ReplayJournalFile(CommandContext& ctx, const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = path + ": unable to read the journal";
    return -1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return ReplayJournal(ctx, text.str(), path, error);
}

}  // namespace kv
