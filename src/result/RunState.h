// What the result window knows of the run: given to it by the run's console
// whenever it changes.
#pragma once

#include <QString>
#include <QStringList>

// What a run button starts. Before the first run the result window reads
// its text as a program's output.
enum class RunKind { Compile, Applet, Application };

struct RunState {
    quint64 serial = 0;                   // grows with every start; 0 before the first
    bool live = false;                    // a process of the run is alive
    bool takesInput = false;              // its standard input can still be written
    bool reading = false;                 // its program waits in a read of that input
    RunKind kind = RunKind::Application;  // what was started last
    QString folder;                       // the source folder it works in
    QString text;                         // its state as the status line says it
    // Lines shown above the output, each starting with "注意: ", that are no
    // part of result.txt: what the user should know about this run's output.
    QStringList notices;

    bool ended() const { return serial != 0 && !live; }
    bool operator==(const RunState&) const = default;
};
