// The run buttons: the compile, applet and application commands.
#pragma once

#include "RunKinds.h"
#include "settings/CommandContext.h"

#include <QList>
#include <QObject>

namespace Run {

class Console;

// Tests the file the kind needs in the selected source folder, starts the
// kind's script beside the program with the folder and the name (a run
// through `console`), and returns at once: true when the script started.
bool Execute(RunKind kind, const CommandContext& context, Console& console);

// Runs a sequence of kinds, each as its button would, the next only once
// the run before it ended with exit code 0; a run that failed stops the
// sequence with its output in view. Stopping that run, or any other start
// of the run before it ends, drops the steps still to come.
class SequenceRun : public QObject {
public:
    // `console` tells when the run the next step waits for has ended.
    explicit SequenceRun(Console* console, QObject* parent = nullptr);
    // Starts the first step; steps of an earlier sequence still waiting are
    // dropped. Every step runs for the folder and name of this context.
    void Start(const Sequence& sequence, const CommandContext& context);
    // True while a step waits for the run before it to end.
    bool Waiting() const { return m_waitFor != 0; }

private:
    void RunChanged();
    void Next();
    void Drop();

    Console* m_console;
    QList<RunKind> m_rest;  // the steps still to come
    CommandContext m_context;
    quint64 m_waitFor = 0;     // the run the next step waits for; 0 when none
    quint64 m_generation = 0;  // counts the starts, so a late step of an earlier one is known
};

}  // namespace Run
