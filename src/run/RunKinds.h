// The run buttons as one table: a row for each kind, in the order the
// buttons stand in the main window, with all that the kind's button needs
// to know to test its file, start its script and tell a missing file.
#pragma once

#include "result/RunState.h"

#include <QKeySequence>
#include <QList>
#include <QString>

namespace Run {

// Where a kind's script runs: as the run (the one the result window talks
// to), or in the applet viewer's slot.
enum class Slot { Run, AppletViewer };

// How the script gets the name: as the source file, with the tested
// extension (a package class's points read as folders); as the page, with
// the configured HTML extension (tested as typed); or as the class, without
// extension (a package class keeps its points).
enum class NameForm { SourceFile, Page, ClassName };

struct Kind {
    RunKind kind;
    QString caption;                           // of its button, also its accessible name
    QKeySequence key;                          // presses the button from every window; empty for none
    QString script;                            // beside the program
    QString tested;                            // extension of the file that must be in the folder
    NameForm name;                             // how the script gets the name
    Slot slot;                                 // where the script runs
    bool showsResult;                          // the result window comes up once it started
    bool holdsCompileServer;                   // the compile server is looked after for it
    QString missingTitle;                      // of the box when the tested file is missing
    QString (*missingText)(const QString& N);  // its text, for the name N
};

// Every kind, in button order.
const QList<Kind>& Kinds();
const Kind& KindOf(RunKind kind);

// The menu's compile and run in one step: its steps are run kinds, each
// started as its button starts it, the next only once the run before it
// ended with exit code 0.
struct Sequence {
    QString caption;   // of its menu item, with its access key
    QKeySequence key;  // starts it from every window
    QList<RunKind> steps;
};
const Sequence& CompileAndRun();

// The text of the missing-page message, shared by the applet and browser
// buttons: it always names ".html".
QString HtmlMissingText(const QString& name);

}  // namespace Run
