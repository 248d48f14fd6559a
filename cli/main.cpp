#include "cli/commandline.h"
#include "cli/headlessrun.h"
#include "cli/progressbar.h"
#include "office/officechoice.h"

#include <QCoreApplication>
#include <QTextStream>

/* sheetweaver-convert: convert a folder tree of Word documents without a window. */
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const CommandLine::Result parsed = CommandLine::parse(arguments);
    switch (parsed.action) {
        case CommandLine::Action::ShowHelp:
            out << CommandLine::helpText();
            return 0;
        case CommandLine::Action::ShowVersion:
            out << "sheetweaver-convert " << SW_VERSION << '\n';
            return 0;
        case CommandLine::Action::Fail:
            err << parsed.error << '\n' << "sheetweaver-convert --help\n";
            return HeadlessRun::BadInput;
        case CommandLine::Action::Convert:
            break;
    }
    const QString problem = parsed.options.validationMessage();
    if (!problem.isEmpty()) {
        err << problem << '\n';
        return HeadlessRun::BadInput;
    }
    useOffice(parsed.office);
    const HeadlessRun::Progress progress = parsed.quiet ? HeadlessRun::Progress::Quiet
                                           : ProgressBar::errorStreamIsTerminal()
                                               ? HeadlessRun::Progress::Bar
                                               : HeadlessRun::Progress::Lines;
    HeadlessRun run(out, err, progress);
    return run.run(parsed.options, parsed.jobs);
}
