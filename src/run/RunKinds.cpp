// The table of run kinds: the compile, applet and application buttons.
#include "RunKinds.h"

namespace Run {

namespace {

const QString kLf = QStringLiteral("\n");

QString JavaMissingText(const QString& N) {
    return N + QStringLiteral(".java が見つかりません。") + kLf + kLf +
           QStringLiteral("移動または削除、もしくはパスの選択が") + kLf +
           QStringLiteral("間違っている可能性があります。") + kLf + kLf +
           QStringLiteral("もう一度確かめてみてください。");
}

QString ClassMissingText(const QString& N) {
    return N + QStringLiteral(".class をまだ作成していません。") + kLf +
           QStringLiteral("まず、コンパイルして作成してください。");
}

}  // namespace

QString HtmlMissingText(const QString& name) {
    return name + QStringLiteral(".html が見つかりません。") + kLf + kLf +
           QStringLiteral("移動または削除、もしくはJavaﾌｧｲﾙがあるﾌｫﾙﾀﾞの設定が") + kLf +
           QStringLiteral("間違っている可能性があります。") + kLf + kLf +
           QStringLiteral("もう一度確かめてみてください。");
}

const QList<Kind>& Kinds() {
    // The applet page is tested as ".html" whatever the HTML extension says.
    static const QList<Kind> kinds{
        {RunKind::Compile, QStringLiteral("ｺﾝﾊﾟｲﾙ実行"), QKeySequence(Qt::Key_F8),
         QStringLiteral("compile.bat"), QStringLiteral(".java"), NameForm::SourceFile, Slot::Run, true, true,
         QStringLiteral("javaﾌｧｲﾙが見つかりません"), JavaMissingText},
        {RunKind::Applet, QStringLiteral("ｱﾌﾟﾚｯﾄ実行"), QKeySequence(), QStringLiteral("applet.bat"),
         QStringLiteral(".html"), NameForm::Page, Slot::AppletViewer, false, false,
         QStringLiteral("htmlﾌｧｲﾙが見つかりません"), HtmlMissingText},
        {RunKind::Application, QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝ実行"), QKeySequence(Qt::Key_F5),
         QStringLiteral("apli.bat"), QStringLiteral(".class"), NameForm::ClassName, Slot::Run, true, false,
         QStringLiteral("classﾌｧｲﾙが見つかりません"), ClassMissingText},
    };
    return kinds;
}

const Sequence& CompileAndRun() {
    static const Sequence sequence{QStringLiteral("ｺﾝﾊﾟｲﾙして実行(&G)"),
                                   QKeySequence(Qt::Key_F9),
                                   {RunKind::Compile, RunKind::Application}};
    return sequence;
}

const Kind& KindOf(RunKind kind) {
    for (const Kind& row : Kinds())
        if (row.kind == kind) return row;
    Q_UNREACHABLE();
}

}  // namespace Run
