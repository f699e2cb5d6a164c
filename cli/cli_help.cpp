#include "cli/cli_help.h"

#include <algorithm>
#include <set>

#include "delivery/app_config.h"

namespace {

const char kAbout[] =
    "Manages Tessel and KX resources on printers: every command except the local tools builds one job and "
    "hands it raw to the print spooler, or only writes it (--output).";

const char kDestinationRule[] =
    "Without --printer, --group or --output the job goes to the configuration's lastPrinter, else to "
    "$PRINTER, else to the spooler's default printer; the program says which.";

const char kExitText[] = "Exit status: 0 success, 1 the operation failed, 2 a bad command line.";

// What the command needs of the configuration file, in one sentence.
std::string configNote(const Command& cmd) {
  if (!cmd.configNote.empty()) return cmd.configNote;
  std::string unless = cmd.tessel == TesselUse::TesselWithStub ? "--tessel DIR or --builtin-tessel --stub FILE"
                                                               : "--tessel DIR or --builtin-tessel";
  if (cmd.tessel != TesselUse::None)
    return "Needs the Tessel settings of the configuration file, unless " + unless + " is given.";
  switch (cmd.config) {
    case ConfigUse::None:
      return "Needs no configuration file.";
    case ConfigUse::Optional:
      return std::string(
                 "Runs without a configuration file; when there is one, it reads the printer groups, the direct "
                 "printers") +
             (cmd.sendsJob ? " and lastPrinter." : ".");
    case ConfigUse::Required:
      return "Needs the configuration file.";
  }
  return {};
}

std::string commandList(const std::vector<Command>& commands) {
  std::string out;
  for (const Command& c : commands) {
    std::string name = "  " + c.name;
    name += std::string(name.size() < 18 ? 18 - name.size() : 1, ' ');
    out += name + wrapText(c.summary, 18) + "\n";
  }
  return out;
}

// --- groff -----------------------------------------------------------------

// Text for a groff line: backslashes escaped, hyphens as minus signs where
// they are options, and no line starting with a control character.
std::string roff(const std::string& text) {
  std::string out;
  bool lineStart = true;
  for (char c : text) {
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    lineStart = c == '\n';
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
  }
  return out;
}

// A paragraph of description text: lines that start with blanks (small
// tables) are kept as they are, the rest flows.
std::string roffParagraphs(const std::string& text) {
  std::string out;
  std::size_t pos = 0;
  bool verbatim = false;
  while (pos <= text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    bool indented = !line.empty() && line[0] == ' ';
    if (indented && !verbatim) out += ".nf\n";
    if (!indented && verbatim) out += ".fi\n";
    verbatim = indented;
    out += roff(line) + "\n";
    if (end >= text.size()) break;
    pos = end + 1;
  }
  if (verbatim) out += ".fi\n";
  return out;
}

std::string roffOption(const OptionDef& o) {
  std::string head = ".TP\n";
  if (o.shortName) head += "\\fB\\-" + std::string(1, o.shortName) + "\\fR, ";
  head += "\\fB\\-\\-" + roff(o.longName) + "\\fR";
  if (!o.valueName.empty()) head += " \\fI" + roff(o.valueName) + "\\fR";
  return head + "\n" + roff(o.help) + "\n";
}

std::string roffOptions(const std::vector<OptionDef>& options) {
  std::string out;
  for (const OptionDef& o : options) out += roffOption(o);
  return out;
}

// --- bash ------------------------------------------------------------------

std::string joinedBy(const std::vector<std::string>& list, const std::string& separator) {
  std::string out;
  for (const std::string& w : list) out += (out.empty() ? "" : separator) + w;
  return out;
}

std::string words(const std::vector<std::string>& list) { return joinedBy(list, " "); }

std::string hintCompletion(ValueHint hint, const std::vector<std::string>& choices) {
  if (!choices.empty()) return "COMPREPLY=($(compgen -W '" + words(choices) + "' -- \"$cur\"))";
  switch (hint) {
    case ValueHint::File:
      return "COMPREPLY=($(compgen -f -- \"$cur\"))";
    case ValueHint::Folder:
      return "COMPREPLY=($(compgen -d -- \"$cur\"))";
    case ValueHint::Printer:
      return "_quaymaster_cli_names printers";
    case ValueHint::Group:
      return "_quaymaster_cli_names groups";
    case ValueHint::Command:
      return "_quaymaster_cli_names commands";
    case ValueHint::None:
      break;
  }
  return "COMPREPLY=()";
}

// Every spelling of every option that takes a value, of any command.
std::string valueOptionWords(const std::vector<Command>& commands) {
  std::set<std::string> spellings;
  auto add = [&](const std::vector<OptionDef>& options) {
    for (const OptionDef& o : options) {
      if (o.valueName.empty()) continue;
      spellings.insert("--" + o.longName);
      if (o.shortName) spellings.insert(std::string("-") + o.shortName);
    }
  };
  add(globalOptions());
  for (const Command& c : commands) add(optionsOf(c));
  return words({spellings.begin(), spellings.end()});
}

std::string optionWords(const std::vector<OptionDef>& options) {
  std::vector<std::string> names;
  for (const OptionDef& o : options) names.push_back("--" + o.longName);
  return words(names);
}

}  // namespace

std::string generalHelp(const std::vector<Command>& commands) {
  std::string out = std::string("Usage: ") + kProgramName + " [--config FILE] COMMAND [options] [arguments]\n\n";
  out += wrapText(kAbout, 0) + "\n\nCommands:\n" + commandList(commands);
  out += "\n" + wrapText(std::string("'") + kProgramName + " help COMMAND' describes a command and its options.", 0);
  out += "\n" + wrapText(std::string("Configuration: quaymaster.ini in ") + configFolder(kConfigFileName) +
                             " (or in the folder that " + kConfigDirVariable + " names, or --config FILE).",
                         0);
  out += "\n" + wrapText(kDestinationRule, 0) + "\n" + kExitText + "\n";
  return out;
}

std::string commandHelp(const Command& cmd) {
  std::string out = wrapText(std::string("Usage: ") + kProgramName + " " + cmd.name + " " + cmd.usage, 0) + "\n\n";
  out += wrapText(cmd.description, 0) + "\n\n" + wrapText(configNote(cmd), 0) + "\n";
  if (cmd.sendsJob) out += wrapText(kDestinationRule, 0) + "\n";
  out += "\nOptions:\n" + optionHelp(optionsOf(cmd));
  return out;
}

std::string manPage(const std::vector<Command>& commands) {
  std::string out;
  out += ".TH QUAYMASTER\\-CLI 1 \"\" \"Quaymaster 11.0\" \"User Commands\"\n";
  out += ".SH NAME\nquaymaster\\-cli \\- manage Tessel and KX resources on printers\n";
  out += ".SH SYNOPSIS\n.B quaymaster\\-cli\n[\\fB\\-\\-config\\fR \\fIFILE\\fR] \\fICOMMAND\\fR "
         "[\\fIoptions\\fR] [\\fIarguments\\fR]\n";
  out += ".SH DESCRIPTION\n" + roff(kAbout) + "\n.PP\n";
  out += roff("'quaymaster-cli help COMMAND' describes one command; every command also takes --help.") + "\n";
  out += ".SH OPTIONS\nGiven before \\fICOMMAND\\fR.\n" + roffOptions(globalOptions());
  out += ".SH COMMANDS\n";
  for (const Command& c : commands) {
    out += ".SS \"" + roff(c.name + " " + c.usage) + "\"\n";
    out += roffParagraphs(c.description);
    out += ".PP\n" + roff(configNote(c)) + "\n";
    std::vector<std::string> shared;
    if (c.sendsJob) shared.push_back("the destination options");
    if (c.config != ConfigUse::None) shared.push_back("\\fB\\-\\-config\\fR");
    if (c.tessel != TesselUse::None) shared.push_back("the Tessel options");
    if (!shared.empty()) {
      out += ".PP\nAlso takes ";
      for (std::size_t i = 0; i < shared.size(); ++i)
        out += (i == 0 ? "" : i + 1 == shared.size() ? " and " : ", ") + shared[i];
      out += ".\n";
    }
    out += roffOptions(c.options);
  }
  out += ".SH \"DESTINATION OPTIONS\"\nTaken by every command that builds a job.\n" + roffOptions(destinationOptions());
  out += ".PP\n" + roff(kDestinationRule) + "\n";
  out += ".SH \"TESSEL OPTIONS\"\n" + roff("They replace the Tessel settings of the configuration file.") + "\n" +
         roffOptions(tesselOptions());
  out += ".SH \"CONFIGURATION\"\n" + roffOption(configOption());
  out += ".PP\n" +
         roff(std::string("The configuration file is quaymaster.ini in ") + configFolder(kConfigFileName) +
              "; install-config.sh creates it. The program never creates it.") +
         "\n";
  out += ".SH \"JSON OUTPUT\"\n" +
         roff("--json prints one JSON object; its field names are stable (docs/command-line.md lists them). "
              "printers: printers (names), groups (name, members), direct (name, address). list-project: project, resources (type, "
              "path, name). project info: folder, project, title, type, version, resources (type, scope, name, "
              "path), submissionFiles, messages. container list: container, entries (name, size). groups: "
              "groups (name, members). direct: direct (name, address).") +
         "\n";
  out += ".SH ENVIRONMENT\n.TP\n.B QUAYMASTER_CONFIG_DIR\nThe folder that holds quaymaster.ini.\n";
  out += ".TP\n.B PRINTER\nThe destination when neither the command line nor lastPrinter names one.\n";
  out += ".TP\n.B CUPS_SERVER\nThe print scheduler to use (CUPS).\n";
  out += ".TP\n.B TMPDIR\nWhere jobs are built before they are sent.\n";
  out += ".SH \"EXIT STATUS\"\n0 success; 1 the operation failed (the message is on standard error); 2 a bad "
         "command line.\n";
  out += ".SH \"SEE ALSO\"\n.BR lp (1),\n.BR lpstat (1)\n";
  return out;
}

std::string bashCompletion(const std::vector<Command>& commands) {
  std::vector<std::string> names;
  for (const Command& c : commands) names.push_back(c.name);
  names.push_back("help");
  std::string out = R"(# bash completion for quaymaster-cli, made from its command table.

# Printer, group or command names from the program itself.
_quaymaster_cli_names() {
  local prog=${COMP_WORDS[0]} list=
  case "$1" in
    printers) list=$("$prog" printers 2>/dev/null | sed '/^\\/d') ;;
    groups) list=$("$prog" groups 2>/dev/null | sed 's/:.*//') ;;
    commands) list=$')" + joinedBy(names, "\\n") + R"(' ;;
  esac
  local IFS=$'\n'
  COMPREPLY=($(compgen -W "$list" -- "$cur"))
}

_quaymaster_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
  local cmd= i=1 operand=0 w
  local valueopts=" )" + valueOptionWords(commands) + R"( "
  while [ $i -lt $COMP_CWORD ]; do
    w=${COMP_WORDS[i]}
    if [[ $w == -* ]]; then
      [[ $w != *=* && $valueopts == *" $w "* ]] && i=$((i + 1))
    elif [ -z "$cmd" ]; then
      cmd=$w
    else
      operand=$((operand + 1))
    fi
    i=$((i + 1))
  done
  if [ -z "$cmd" ]; then
    case "$prev" in
      -c|--config) COMPREPLY=($(compgen -f -- "$cur")); return ;;
    esac
    if [[ $cur == -* ]]; then
      COMPREPLY=($(compgen -W ')" + optionWords(globalOptions()) + R"(' -- "$cur"))
    else
      _quaymaster_cli_names commands
    fi
    return
  fi
  case "$cmd" in
    help) _quaymaster_cli_names commands; return ;;
)";
  for (const Command& c : commands) {
    std::vector<OptionDef> options = optionsOf(c);
    out += "    " + c.name + ")\n      case \"$prev\" in\n";
    for (const OptionDef& o : options) {
      if (o.valueName.empty()) continue;
      std::string pattern = "--" + o.longName;
      if (o.shortName) pattern = "-" + std::string(1, o.shortName) + "|" + pattern;
      out += "        " + pattern + ") " + hintCompletion(o.hint, o.choices) + "; return ;;\n";
    }
    out += "      esac\n";
    out += "      if [[ $cur == -* ]]; then\n        COMPREPLY=($(compgen -W '" + optionWords(options) +
           "' -- \"$cur\"))\n";
    if (!c.operandWords.empty()) {
      out += "      elif [ $operand -eq 0 ]; then\n        COMPREPLY=($(compgen -W '" + words(c.operandWords) +
             "' -- \"$cur\"))\n";
    }
    out += "      else\n        " + hintCompletion(c.operandHint, {}) + "\n      fi\n      ;;\n";
  }
  out += R"(  esac
}
complete -o filenames -F _quaymaster_cli quaymaster-cli
)";
  return out;
}
