// How long the problem-line scanner takes on a large result, against merely
// splitting the same text into lines. No display needed:
//   build/bench/problem_bench
// Prints the whole time, the longest single read (64 KiB, as the result
// window reads a growing file) and the rate, for a 10 MB compiler-like
// output (one message every 20 lines) and for 10 MB of one-digit lines.
#include "BenchFiles.h"
#include "result/ProblemLines.h"
#include "result/ResultReader.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

namespace {

constexpr qsizetype kSlice = 64 * 1024;

QString CompilerLike(qsizetype bytes) {
    QString text;
    text.reserve(bytes + 200);
    for (int i = 0; text.size() < bytes; ++i) {
        if (i % 20 == 0) {
            text += QStringLiteral("src/app/Main.java:%1: error: cannot find symbol\n").arg(i / 20 + 1);
        } else if (i % 20 == 1) {
            text += QStringLiteral("        total = total + valeu * %1;\n").arg(i);
        } else if (i % 20 == 2) {
            text += QStringLiteral("                        ^\n");
        } else if (i % 20 == 3) {
            text += QStringLiteral("  symbol:   variable valeu\n");
        } else {
            text +=
                QStringLiteral("        int value%1 = compute(value%2, \"text\", %1);\n").arg(i).arg(i - 1);
        }
    }
    return text;
}

QString Digits(qsizetype bytes) {
    QString text;
    text.reserve(bytes + 2);
    for (int i = 0; text.size() < bytes; ++i) {
        text += QChar(u'0' + i % 10);
        text += u'\n';
    }
    return text;
}

struct Figures {
    double totalMs = 0, longestMs = 0;
    qint64 found = 0;
};

template <typename Read>
Figures Run(const QString& text, Read read) {
    Figures f;
    QElapsedTimer all;
    all.start();
    for (qsizetype i = 0; i < text.size(); i += kSlice) {
        QElapsedTimer one;
        one.start();
        f.found += read(QStringView(text).sliced(i, std::min(kSlice, text.size() - i)));
        f.longestMs = std::max(f.longestMs, one.nsecsElapsed() / 1e6);
    }
    f.totalMs = all.nsecsElapsed() / 1e6;
    return f;
}

// `problems`: how many the scanner must find, or -1 for any number; a scan
// that finds other than the text holds measured something else.
void Report(const char* name, const QString& text, qint64 problems) {
    const double mb = text.size() / 1e6;
    // The least a reader of lines does: find each line and look at it.
    qint64 seen = 0;
    const Figures lines = Run(text, [&seen](QStringView s) {
        qint64 n = 0;
        for (qsizetype i = 0; i < s.size();) {
            qsizetype lf = s.indexOf(u'\n', i);
            if (lf < 0) lf = s.size();
            seen += s.sliced(i, lf - i).startsWith(u'E');
            i = lf + 1;
            ++n;
        }
        return n;
    });
    ProblemLines::Folder folder;
    folder.path = QStringLiteral("/tmp/project");
    folder.fileExists = [](const QString&) { return true; };
    folder.files = [] { return QStringList{QStringLiteral("Main.java")}; };
    ProblemLines::ProblemScanner scanner(folder);
    LineBreaker breaker;
    Figures marked = Run(text, [&scanner, &breaker](QStringView s) {
        const LineBreaker::Piece piece = breaker.feed(s);
        for (const LineBreaker::Line& l : piece.lines)
            scanner.addLine(QStringView(piece.text).sliced(l.from, l.size), l.continued);
        return qint64(scanner.takeNew().size());
    });
    if (problems >= 0 && marked.found != problems)
        NotMeasured(QStringLiteral("%1: the scanner found %2 problems, the text holds %3")
                        .arg(QString::fromLatin1(name))
                        .arg(marked.found)
                        .arg(problems));
    std::printf("%s: %.1f MB, %lld lines, %lld problems\n", name, mb,
                static_cast<long long>(scanner.lineCount()), static_cast<long long>(marked.found));
    std::printf("  lines only : %8.1f ms in all, longest read %6.2f ms (%lld)\n", lines.totalMs,
                lines.longestMs, static_cast<long long>(seen));
    std::printf("  with marks : %8.1f ms in all, longest read %6.2f ms, %.0f MB/s, %.1fx the line split\n",
                marked.totalMs, marked.longestMs, mb / (marked.totalMs / 1000),
                marked.totalMs / lines.totalMs);
}

}  // namespace

int main() {
    const QString compiler = CompilerLike(10 * 1000 * 1000);
    Report("compiler-like", compiler, compiler.count(QStringLiteral(": error: ")));
    Report("one digit a line", Digits(10 * 1000 * 1000), 0);
    return 0;
}
