#include "tools/cli/scenario_tool.h"

#include <exception>
#include <optional>
#include <stdexcept>

#include <CLI/CLI.hpp>

#include "platform/files/workspace.h"
#include "tools/cli/compile_report.h"
#include "tools/cli/decompile_command.h"
#include "tools/cli/dump_command.h"
#include "tools/cli/new_command.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/plot_command.h"
#include "tools/common/refusal.h"
#include "tools/cli/sources_command.h"
#include "tools/cli/studio_command.h"
#include "tools/cli/studio_page.h"
#include "tools/cli/view_command.h"

namespace scenario::tool {

namespace {

struct Options {
  NewRequest new_scenario;

  std::string sources_directory;
  bool sources_force = false;
  StudioRequest studio;

  CompileRequest compile;
  std::string line_name;
  std::string train_number;
  bool compile_json = false;
  bool no_warnings = false;
  bool werror = false;

  std::string dump_file;
  bool dump_json = false;

  std::vector<std::string> plot_inputs;
  std::string plot_output;

  std::vector<std::string> view_inputs;
  std::string view_output;

  DecompileRequest decompile;
  std::string decompile_line_name;
  std::string decompile_train_number;

  LanguageServerLaunch lsp_launch;
  bool lsp_stdio = false;  // the channel it always talks on
  // Channels other than the standard streams, which clients may ask for.
  bool lsp_node_ipc = false;
  std::string lsp_pipe;
  std::string lsp_socket;
};

constexpr const char* kCompileFooter =
    "The sources are copied into DIR under the names the compile reads (NAME_linea.txt and\n"
    "NAME_NUMBER-.txt); the given files are never changed or deleted. The names default to\n"
    "those in the given file names when they follow that pattern.\n"
    "\n"
    "Exit status: 0 no error recorded; 1 an error recorded (the compiled files are still\n"
    "written); 2 the run stopped (\" Errore n. ...\") and wrote no compiled file; 3 a file\n"
    "could not be read or written, or another run held DIR for more than a minute; 64 a wrong\n"
    "command line (file names that give no name count); 65 a source that cannot be compiled\n"
    "as it stands (saved in UTF-16, or another file where its copy goes). With --json the\n"
    "report is one JSON object on standard output; failures of statuses 3, 64 and 65 stay\n"
    "plain text on standard error.\n"
    "\n"
    "Compiles and compactor runs in one directory take turns: a second one waits (and says so)\n"
    "until the first has ended.";

int Fail(std::ostream& err, int status, const std::string& command, const std::string& message) {
  err << kToolName << " " << command << ": " << message << "\n";
  return status;
}

int RunNewCommand(const Options& options, FileSystem& files, std::ostream& out, std::ostream& err) {
  return RunNew(options.new_scenario, files, out, err);
}

int RunSources(const Options& options, FileSystem& files, std::ostream& out, std::ostream& err) {
  const auto tell = [&err](const std::string& notice) {
    err << std::string(kToolName) + " sources: " + notice + "\n" << std::flush;
  };
  for (const std::string& path :
       WriteBuiltInSources(files, options.sources_directory, options.sources_force, tell))
    out << "wrote " << path << "\n";
  return kExitOk;
}

int RunStudio(const Options& options, FileSystem& files, std::ostream& out) {
  return WriteStudio(options.studio, StudioPage(), files, out);
}

int RunCompileCommand(Options options, FileSystem& files, std::ostream& out, std::ostream& err) {
  options.compile.warnings = !options.no_warnings;
  const CompileReport report = RunCompile(options.compile, files, [&err](const std::string& notice) {
    err << std::string(kToolName) + " compile: " + notice + "\n" << std::flush;
  });
  if (options.compile_json)
    PrintCompileReportJson(report, out);
  else
    PrintCompileReport(report, out, err);
  return ExitStatusOf(report, options.werror);
}

int RunCheckCommand(Options options, FileSystem& files, std::ostream& out, std::ostream& err) {
  options.compile.warnings = !options.no_warnings;
  const CompileReport report = RunCheck(options.compile, files);
  if (options.compile_json)
    PrintCompileReportJson(report, out);
  else
    PrintCompileReport(report, out, err, false);
  return ExitStatusOf(report, options.werror);
}

int RunDump(const Options& options, FileSystem& files, std::ostream& out, std::ostream& err) {
  DumpCompiledFile(files, options.dump_file, options.dump_json, out, err);
  return kExitOk;
}

int RunPlot(const Options& options, FileSystem& files, std::ostream& out, std::ostream& err) {
  PlotCompiledScenario(files, options.plot_inputs, options.plot_output, err);
  out << "wrote " << options.plot_output << "\n";
  return kExitOk;
}

int RunView(const Options& options, FileSystem& files, std::ostream& out, std::ostream& err) {
  if (AreSources(options.view_inputs)) {
    const int status = ViewSources(files, options.view_inputs, options.view_output, err);
    if (status != kExitStopped) out << "wrote " << options.view_output << "\n";
    return status;
  }
  ViewCompiledScenario(files, options.view_inputs, options.view_output, err);
  out << "wrote " << options.view_output << "\n";
  return kExitOk;
}

int RunDecompileCommand(const Options& options, FileSystem& files, std::ostream& out, std::ostream& err) {
  return RunDecompile(options.decompile, files, out, err);
}

// The subcommands as parsed: each is set when it was given.
struct Commands {
  CLI::App* new_scenario = nullptr;
  CLI::App* sources = nullptr;
  CLI::App* studio = nullptr;
  CLI::App* compile = nullptr;
  CLI::App* check = nullptr;
  CLI::App* dump = nullptr;
  CLI::App* plot = nullptr;
  CLI::App* view = nullptr;
  CLI::App* decompile = nullptr;
  CLI::App* lsp = nullptr;
  CLI::Option* line_name = nullptr;
  CLI::Option* train_number = nullptr;
  CLI::Option* check_line_name = nullptr;
  CLI::Option* check_train_number = nullptr;
  CLI::Option* decompile_line_name = nullptr;
  CLI::Option* decompile_train_number = nullptr;
};

CLI::App* AddNewCommand(CLI::App& app, Options& options) {
  NewRequest& request = options.new_scenario;
  CLI::App* command = app.add_subcommand(
      "new", "Write the two sources of a new scenario, a short line and a train on it, to start from.");
  command->add_option("LINE_NAME", request.line_name, "the line name (nome_linea), as in LINE_NAME_linea.txt")
      ->required();
  command->add_option("TRAIN", request.train_number, "the train number (numero_treno), as in LINE_NAME_TRAIN-.txt")
      ->required();
  command->add_option("--length", request.length,
                      "the line's length in metres, a whole number from " + std::to_string(kNewLineShortest) +
                          " to " + std::to_string(kNewLineLongest))
      ->type_name("M")
      ->capture_default_str();
  command->add_option("-o,--output", request.output_directory,
                      "directory to write into (default: the working directory; created when missing)")
      ->type_name("DIR");
  command->add_flag("--force", request.force, "replace sources of the same names that are already there");
  command->footer(
      "Writes LINE_NAME_linea.txt and LINE_NAME_TRAIN-.txt (Windows-1252, CR LF), named as compile and check\n"
      "read them: a line M metres long and a train to drive on it. The line description holds the general\n"
      "values and a level gradient; the train service a train of 4 coaches, adhesion 100 and 100 km/h from\n"
      "0 m, and two stations with their times, PARTENZA at 0 m and ARRIVO 500 m before the line's end. Every\n"
      "section but [generale] and [fine] holds one example line written as a comment (\"-- ...\"): take off\n"
      "the quotes and the hyphens to use it. As written, the two sources compile with no error and no warning:\n"
      "\n"
      "  scenario-tool check DIR/LINE_NAME_linea.txt DIR/LINE_NAME_TRAIN-.txt\n"
      "\n"
      "The names are written as the simulator reads them, in Windows-1252 (a name given in UTF-8, as Linux\n"
      "gives \"Città\", is turned into it): a letter it cannot hold, or a character that no file name holds on\n"
      "Windows (< > : \" / \\ | ? *), is refused. What each line means: docs/format.md. A step-by-step\n"
      "start: docs/tutorial.md.\n"
      "\n"
      "Exit status: 0 written; 1 sources of the same names are there already (see --force); 3 a file could\n"
      "not be written, or another run held DIR for more than a minute; 64 a wrong command line (a length or\n"
      "a name that cannot be used).");
  return command;
}

CLI::App* AddStudioCommand(CLI::App& app, Options& options) {
  CLI::App* studio = app.add_subcommand(
      "studio", "Write the scenario studio: one HTML page to write, check, see and compile a scenario in a browser.");
  studio->add_option("-o,--output", options.studio.output, "the HTML file to write")->required()->type_name("FILE");
  studio->add_flag("--force", options.studio.force, "replace a file of the same name that is already there");
  studio->footer(
      "The page holds everything it runs (the compiler, the language server and the route viewer) and needs\n"
      "no network, no server and nothing installed: open it from disk in any current browser. Open a line\n"
      "description and its train service (or drop them on the page), or start from the built-in scenario or\n"
      "from new's; they are checked as you type, the route viewer beside them follows each change, Save\n"
      "writes each source back in Windows-1252, and Compile downloads the simulator's three files, the very\n"
      "files compile writes, in one ZIP. See docs/studio.md.\n"
      "\n"
      "Exit status: 0 written; 1 FILE is there already (see --force); 3 FILE could not be written; 64 a wrong\n"
      "command line, or a scenario-tool built without the page (the message says how to get it).");
  return studio;
}

CLI::App* AddSourcesCommand(CLI::App& app, Options& options) {
  CLI::App* sources = app.add_subcommand(
      "sources", "Write the built-in scenario's two text sources and three printed forms into DIR.");
  sources->add_option("DIR", options.sources_directory, "directory to write into (created when missing)")
      ->required();
  sources->add_flag("--force", options.sources_force, "replace files of the same names that are already there");
  return sources;
}

void AddWarningFlags(CLI::App& command, Options& options) {
  command.add_flag("--no-warnings", options.no_warnings, "do not report the reading's warnings");
  command.add_flag("--werror", options.werror, "end with status 1 when there is a warning");
}

CLI::App* AddCompileCommand(CLI::App& app, Options& options, Commands& commands) {
  CLI::App* compile = app.add_subcommand("compile", "Compile a line description and a train service.");
  compile->add_option("LINE_FILE", options.compile.line_file, "the line description source")->required();
  compile->add_option("TRAIN_FILE", options.compile.train_file, "the train service source")->required();
  compile->add_option("-o,--output", options.compile.output_directory,
                      "directory for the compiled files (default: the working directory)");
  commands.line_name = compile->add_option("--line-name", options.line_name, "the line name (nome_linea)");
  commands.train_number =
      compile->add_option("--train-number", options.train_number, "the train number (numero_treno)");
  compile->add_flag("--no-line", options.compile.no_line,
                    "compile without the track plan: no compiled line file is written");
  compile->add_flag("--json", options.compile_json, "print the report as one JSON object");
  AddWarningFlags(*compile, options);
  compile->footer(kCompileFooter);
  return compile;
}

CLI::App* AddCheckCommand(CLI::App& app, Options& options, Commands& commands) {
  CLI::App* check = app.add_subcommand(
      "check", "Read and compile a line description and a train service in memory, and report their "
               "warnings and error; no file is written.");
  check->add_option("LINE_FILE", options.compile.line_file, "the line description source")->required();
  check->add_option("TRAIN_FILE", options.compile.train_file, "the train service source")->required();
  commands.check_line_name = check->add_option("--line-name", options.line_name, "the line name (nome_linea)");
  commands.check_train_number =
      check->add_option("--train-number", options.train_number, "the train number (numero_treno)");
  check->add_flag("--no-line", options.compile.no_line, "compile without the track plan");
  check->add_flag("--json", options.compile_json, "print the report as one JSON object");
  AddWarningFlags(*check, options);
  check->footer("Exit status as for compile: 0 no error recorded; 1 an error recorded (or, with --werror, a "
                "warning); 2 the run would stop (\" Errore n. ...\"); 3 a file could not be read; 64 a wrong "
                "command line; 65 a source saved in UTF-16.");
  return check;
}

CLI::App* AddDumpCommand(CLI::App& app, Options& options) {
  CLI::App* dump = app.add_subcommand(
      "dump", "Print a compiled file as a table: every field of every record, cell or plan point.");
  dump->add_option("FILE", options.dump_file,
                   "a compiled line file (NAME_linea.dat), station file (.sim) or cell file (.dat)")
      ->required();
  dump->add_flag("--json", options.dump_json, "print JSON instead of a table");
  dump->footer("Exit status: 0 done; 1 the file is cut short or not a compiled file of its kind; 3 it "
               "cannot be read; 64 a wrong command line.");
  return dump;
}

// The inputs of a drawing of one compiled scenario, and its exit statuses.
void AddDrawingInputs(CLI::App& command, std::vector<std::string>& inputs) {
  command
      .add_option("INPUTS", inputs,
                  "a directory holding one compiled scenario, or its two or three files: the station file "
                  "(.sim), the cell file (.dat) and, for the plan, the line file (_linea.dat)")
      ->required()
      ->type_name("PATH")
      ->expected(-1);  // one to three, sorted by kind afterwards; shown as INPUTS...
}

constexpr const char* kDrawingFooter =
    "Exit status: 0 done; 1 a file is cut short or not a compiled file of its kind; 3 a file "
    "cannot be read or written; 64 a wrong command line.";

CLI::App* AddPlotCommand(CLI::App& app, Options& options) {
  CLI::App* plot = app.add_subcommand("plot", "Draw a compiled scenario as one SVG picture.");
  AddDrawingInputs(*plot, options.plot_inputs);
  plot->add_option("-o,--output", options.plot_output, "the SVG file to write")->required();
  plot->footer(kDrawingFooter);
  return plot;
}

CLI::App* AddViewCommand(CLI::App& app, Options& options) {
  CLI::App* view = app.add_subcommand(
      "view", "Write a compiled scenario as one HTML page to move along and zoom into in a browser.");
  AddDrawingInputs(*view, options.view_inputs);
  view->add_option("-o,--output", options.view_output, "the HTML file to write")->required();
  view->footer(std::string("The page holds everything it shows and needs nothing from the network: open it in any "
                           "current browser.\n\n"
                           "INPUTS may also be the two sources of a scenario (NAME_linea.txt and NAME_NUMBER-.txt):\n"
                           "they are compiled in memory, as check compiles them, and each value the page shows as\n"
                           "the sources give it names the line that wrote it. Then the exit status is that of\n"
                           "check: 1 when the compile records an error (the page is still written), 2 when it\n"
                           "stops (no page).\n\n") +
               kDrawingFooter);
  return view;
}

CLI::App* AddDecompileCommand(CLI::App& app, Options& options, Commands& commands) {
  CLI::App* decompile = app.add_subcommand(
      "decompile", "Recover the line description and the train service of a compiled scenario.");
  decompile
      ->add_option("INPUTS", options.decompile.inputs,
                   "a directory holding one compiled scenario, or its two or three files: the station file "
                   "(.sim), the cell file (.dat) and, for the curves, the line file (_linea.dat)")
      ->required()
      ->type_name("PATH")
      ->expected(-1);  // one to three, sorted by kind afterwards; shown as INPUTS...
  decompile->add_option("-o,--output", options.decompile.output_directory, "directory for the sources")
      ->required();
  commands.decompile_line_name = decompile->add_option(
      "--line-name", options.decompile_line_name, "name the sources for this line name (default: the one recorded)");
  commands.decompile_train_number =
      decompile->add_option("--train-number", options.decompile_train_number,
                            "name the sources for this train number (default: the one recorded)");
  decompile->add_flag("--force", options.decompile.force, "replace sources of the same names that are already there");
  decompile->footer(
      "Writes NAME_linea.txt and NAME_NUMBER-.txt, which compile to the same bytes as the given files: before\n"
      "writing, the recovered sources are compiled in memory and compared. When they would compile differently,\n"
      "nothing is written and what could not be recovered is listed. Without the line file the curves are left\n"
      "out.\n"
      "\n"
      "Exit status: 0 written; 1 a file is cut short or not a compiled file of its kind, the sources could not\n"
      "be recovered exactly, or sources of the same names are there already (see --force); 3 a file cannot\n"
      "be read or written; 64 a wrong command line.");
  return decompile;
}

CLI::App* AddLspCommand(CLI::App& app, Options& options) {
  CLI::App* lsp = app.add_subcommand(
      "lsp", "Serve editors as a language server (Language Server Protocol 3.17) on standard input and output.");
  // The arguments language clients add by convention.
  lsp->add_flag("--stdio", options.lsp_stdio, "talk on standard input and output (the only way this server talks)");
  lsp->add_option("--clientProcessId", options.lsp_launch.client_process_id,
                  "the editor's process: end when it is gone");
  lsp->add_flag("--node-ipc", options.lsp_node_ipc, "refused: use --stdio");
  lsp->add_option("--pipe", options.lsp_pipe, "refused: use --stdio");
  lsp->add_option("--socket", options.lsp_socket, "refused: use --stdio");
  lsp->footer("Started by an editor, not by hand: see docs/editors.md. The sources are compiled in\n"
              "memory as they are edited, with the editor's unsaved texts; nothing is written to disk.\n"
              "\n"
              "Exit status: 0 after the editor's shutdown and exit; 1 when the input ended, exit came\n"
              "without shutdown, or the process given by --clientProcessId ended; 64 a wrong command\n"
              "line.");
  return lsp;
}

// The server talks on its standard streams only; a client set to another
// channel is told what to set instead.
int RunLsp(const Options& options, FileSystem& files, std::ostream& err, const std::string& command,
           const LanguageServerRun& lsp) {
  std::string channel;
  if (options.lsp_node_ipc) channel = "--node-ipc";
  if (!options.lsp_pipe.empty()) channel = "--pipe=" + options.lsp_pipe;
  if (!options.lsp_socket.empty()) channel = "--socket=" + options.lsp_socket;
  if (!channel.empty())
    return Fail(err, kExitUsage, command,
                "'" + channel + "' asks for a channel this server does not speak: it talks on standard input "
                "and output only; start it with --stdio (VS Code: TransportKind.stdio) or with no channel "
                "argument");
  if (options.lsp_launch.client_process_id && *options.lsp_launch.client_process_id <= 0)
    return Fail(err, kExitUsage, command,
                "--clientProcessId=" + std::to_string(*options.lsp_launch.client_process_id) +
                    " names no process: give the editor's process number, or leave the argument out");
  if (!lsp) return Fail(err, kExitUsage, command, "this build has no language server");
  return lsp(files, options.lsp_launch);
}

// Runs the subcommand given; a failure it throws becomes its message and
// exit status.
int RunCommand(const Commands& commands, const std::string& command, const Options& options,
               FileSystem& files, std::ostream& out, std::ostream& err, const LanguageServerRun& lsp) {
  try {
    if (*commands.lsp) return RunLsp(options, files, err, command, lsp);
    if (*commands.new_scenario) return RunNewCommand(options, files, out, err);
    if (*commands.sources) return RunSources(options, files, out, err);
    if (*commands.studio) return RunStudio(options, files, out);
    if (*commands.compile) return RunCompileCommand(options, files, out, err);
    if (*commands.check) return RunCheckCommand(options, files, out, err);
    if (*commands.dump) return RunDump(options, files, out, err);
    if (*commands.plot) return RunPlot(options, files, out, err);
    if (*commands.view) return RunView(options, files, out, err);
    if (*commands.decompile) return RunDecompileCommand(options, files, out, err);
  } catch (const std::invalid_argument& error) {
    return Fail(err, kExitUsage, command, error.what());
  } catch (const UnusableSource& unusable) {
    return Fail(err, kExitUnusableSource, command, unusable.what());
  } catch (const SystemFailure& failure) {
    return Fail(err, kExitSystemFailure, command, failure.what());
  } catch (const Refusal& refusal) {
    return Fail(err, kExitRefused, command, refusal.what());
  } catch (const std::exception& failure) {
    return Fail(err, kExitSystemFailure, command, failure.what());
  }
  return kExitUsage;
}

}  // namespace

int RunScenarioTool(const std::vector<std::string>& args, FileSystem& files, std::ostream& out,
                    std::ostream& err, const LanguageServerRun& lsp) {
  CLI::App app{"The scenario compactor's companion for authors: start a new scenario or write the built-in "
               "sources, compile your own, look into compiled files and draw a compiled scenario.",
               kToolName};
  app.require_subcommand(1);
  // A path such as /Scenari/Valle_linea.txt is a path on Windows too, not
  // a Windows-style option; the subcommands added below inherit this.
  app.allow_windows_style_options(false);
  app.set_version_flag("--version", std::string(kToolName) + " " + SCENARIO_VERSION,
                       "print the version and end");
  app.footer("What to write in the two sources, line by line, and what every error number means: "
             "docs/format.md, the authors' reference, in the compactor's source tree (installed: "
             "share/doc/scenario-compactor/docs/format.md; in the Windows folder: docs/format.md).");
  Options options;
  Commands commands;
  commands.new_scenario = AddNewCommand(app, options);
  commands.sources = AddSourcesCommand(app, options);
  commands.compile = AddCompileCommand(app, options, commands);
  commands.check = AddCheckCommand(app, options, commands);
  commands.dump = AddDumpCommand(app, options);
  commands.plot = AddPlotCommand(app, options);
  commands.view = AddViewCommand(app, options);
  commands.studio = AddStudioCommand(app, options);
  commands.decompile = AddDecompileCommand(app, options, commands);
  commands.lsp = AddLspCommand(app, options);

  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::ParseError& error) {
    // A mistyped subcommand is taken for a stray argument: say what it is.
    if (app.get_subcommands().empty() && args.size() > 1 && !args[1].empty() && args[1][0] != '-') {
      std::string names;
      for (const CLI::App* command : app.get_subcommands({}))
        names += (names.empty() ? "" : ", ") + command->get_name();
      err << kToolName << ": '" << args[1] << "' is no subcommand; the subcommands are " << names
          << "\nRun with --help for more information.\n";
      return kExitUsage;
    }
    const int status = app.exit(error, out, err);
    return status == 0 ? kExitOk : kExitUsage;
  }
  if (*commands.line_name || *commands.check_line_name) options.compile.line_name = options.line_name;
  if (*commands.train_number || *commands.check_train_number) options.compile.train_number = options.train_number;
  if (*commands.decompile_line_name) options.decompile.line_name = options.decompile_line_name;
  if (*commands.decompile_train_number) options.decompile.train_number = options.decompile_train_number;

  const std::string command = app.get_subcommands().front()->get_name();
  return RunCommand(commands, command, options, files, out, err, lsp);
}

}  // namespace scenario::tool
