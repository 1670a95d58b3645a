// The settings dialog: its four pages, the copy of the settings they edit,
// and the apply that checks the folders and writes what changed.
#include "frmOptions.h"

#include "MainWindowFace.h"
#include "settings/Placement.h"
#include "settings/Qlk.h"
#include "widgets/FolderLists.h"
#include "widgets/Fonts.h"
#include "widgets/StableAccessible.h"

#include <QAccessibleWidget>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>

using namespace Qlk;

namespace {

const double kInnerWidth = 5775;
const double kInnerHeight = 5760;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, const QRectF& twips) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setAccessibleName(caption);
    PlaceControl(label, twips);
    return label;
}

// A frame around an instruction; the frames that hold a control group carry
// their caption as title.
QGroupBox* MakeFrame(QWidget* parent, const char* name, const QString& caption, const QString& accessible,
                     const QRectF& twips) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(QLatin1String(name));
    frame->setAccessibleName(accessible);
    PlaceControl(frame, twips);
    return frame;
}

QLabel* MakeInstruction(QGroupBox* frame, const char* name, const QString& text, const QRectF& twips) {
    QLabel* label = MakeLabel(frame, name, text, twips);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QLineEdit* MakeBox(QWidget* parent, const QString& name, const QString& accessible, const QRectF& twips) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessible);
    PlaceControl(box, twips);
    return box;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& accessible, const QRectF& twips) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAccessibleName(accessible);
    // No default button: Enter presses only the button that has the focus.
    button->setAutoDefault(false);
    button->setDefault(false);
    PlaceControl(button, twips);
    return button;
}

QWidget* MakePage(const char* name, const QString& caption) {
    auto* page = new QWidget;
    page->setObjectName(QLatin1String(name));
    page->setAccessibleName(caption);
    return page;
}

// Assistive tools see the dialog as a dialog, not as a plain pane.
QAccessibleInterface* DialogAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("frmOptions") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Dialog);
    return nullptr;
}

}  // namespace

frmOptions::frmOptions(MainWindowFace* mainWindow) : QWidget(nullptr), m_main(mainWindow) {
    static const bool accessibleAsDialog = (QAccessible::installFactory(DialogAccessible), true);
    Q_UNUSED(accessibleAsDialog);
    setObjectName(QStringLiteral("frmOptions"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("設定"));
    setAccessibleName(QStringLiteral("設定"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(Fonts::PGothic(9));
    if (m_main && m_main->mainWindow()) setWindowIcon(m_main->mainWindow()->windowIcon());
    BuildControls();
    InitForm(this, FormTwips{0, 0, kInnerWidth + kFrameX, kInnerHeight + kPlainFrameY, kFrameX, kPlainFrameY},
             true);
    Form_Load();
    // Start-up reads the editors, browsers, history size and extension after
    // it may have built this dialog; once the main window is shown they are
    // all read, and the dialog shows them.
    if (m_main && m_main->mainWindow() && !m_main->mainWindow()->isVisible())
        m_main->mainWindow()->installEventFilter(this);
}

void frmOptions::BuildControls() {
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setAccessibleName(QStringLiteral("設定のページ"));
    PlaceControl(SSTab1, {120, 120, 5535, 5025});
    SSTab1->addTab(BuildFolderPage(), QStringLiteral("Javaﾌｫﾙﾀﾞ選択"));
    SSTab1->addTab(BuildEditorPage(), QStringLiteral("エディタ選択"));
    SSTab1->addTab(BuildBrowserPage(), QStringLiteral("ブラウザ選択"));
    SSTab1->addTab(BuildOtherPage(), QStringLiteral("その他\u3000"));
    SSTab1->setCurrentIndex(0);

    cmdOK = MakeButton(this, QStringLiteral("cmdOK"), QStringLiteral("OK"), QStringLiteral("OK"),
                       {120, 5265, 1215, 375});
    cmdCancel = MakeButton(this, QStringLiteral("cmdCancel"), QStringLiteral("ｷｬﾝｾﾙ"),
                           QStringLiteral("ｷｬﾝｾﾙ"), {1560, 5265, 1215, 375});
    cmdApply = MakeButton(this, QStringLiteral("cmdApply"), QStringLiteral("更新"), QStringLiteral("更新"),
                          {3000, 5265, 1215, 375});
    cmdHelp = MakeButton(this, QStringLiteral("cmdHelp"), QStringLiteral("ヘルプ"), QStringLiteral("ヘルプ"),
                         {4440, 5265, 1215, 375});
    cmdOK->setEnabled(false);
    cmdApply->setEnabled(false);
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOptions::cmdCancel_Click);
    connect(cmdApply, &QPushButton::clicked, this, &frmOptions::cmdApply_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmOptions::cmdHelp_Click);

    // The controls change their handlers' state only once all exist.
    for (int i = 0; i < kFolderCount; ++i)
        connect(txtFolderPath[i], &QLineEdit::textChanged, this, [this, i] { txtFolderPath_Change(i); });
    for (int i = 0; i < 2; ++i) {
        connect(txtEditPath[i], &QLineEdit::textChanged, this, [this, i] { txtEditPath_Change(i); });
        connect(txtBrowserPath[i], &QLineEdit::textChanged, this, [this, i] { txtBrowserPath_Change(i); });
        connect(txtBrowserName[i], &QLineEdit::textChanged, this, [this, i] { txtBrowserName_Change(i); });
        connect(cmdSelectEdit[i], &QPushButton::clicked, this, [this, i] { cmdSelectEdit_Click(i); });
        connect(cmdSelectBrowser[i], &QPushButton::clicked, this, [this, i] { cmdSelectBrowser_Click(i); });
        connect(optHtml[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) optHtml_Click(i);
        });
    }
    connect(HScroll1, &QScrollBar::valueChanged, this, &frmOptions::HScroll1_Change);
    connect(Drive1, &DriveListBox::driveChanged, this, &frmOptions::Drive1_Change);
    connect(Dir1, &DirListBox::pathChanged, this, &frmOptions::Dir1_Change);
    // The drive list shows the volume the directory list is on.
    connect(Dir1, &DirListBox::pathChanged, this,
            [this] { Drive1->showDrive(FolderLists::VolumeOf(Dir1->path(), Drive1->volumes())); });
    connect(Dir1, &DirListBox::openFailed, this, &frmOptions::ShowDriveError);
}

QWidget* frmOptions::BuildFolderPage() {
    QWidget* page = MakePage("SSTab1Page0", QStringLiteral("Javaﾌｫﾙﾀﾞ選択"));
    Frame1 = MakeFrame(page, "Frame1", QString(), QStringLiteral("フォルダの説明"), {120, 60, 5280, 735});
    Label3[3] =
        MakeInstruction(Frame1, "Label3_3",
                        QStringLiteral("Javaﾌｧｲﾙ(*.java) と classﾌｧｲﾙ(*.class)  が入っているフォルダを選択"
                                       "してください。３つまで設定できます。"),
                        {120, 150, 5040, 540});

    optFolderPathGroup = new QButtonGroup(this);
    optFolderPathGroup->setExclusive(true);
    const QString captions[3] = {QStringLiteral("ﾊﾟｽ１"), QStringLiteral("ﾊﾟｽ２"), QStringLiteral("ﾊﾟｽ３")};
    for (int i = 0; i < kFolderCount; ++i) {
        const double top = 900 + 420 * i;
        optFolderPath[i] = MakeButton(page, QStringLiteral("optFolderPath%1").arg(i), captions[i],
                                      captions[i], {120, top, 855, 360});
        optFolderPath[i]->setCheckable(true);
        optFolderPathGroup->addButton(optFolderPath[i], i);
        txtFolderPath[i] = MakeBox(page, QStringLiteral("txtFolderPath%1").arg(i),
                                   captions[i] + QStringLiteral("のフォルダ"), {1080, top + 8, 4320, 345});
    }
    optFolderPath[0]->setChecked(true);

    Label3[0] = MakeLabel(page, "Label3_0", QStringLiteral("ドライブ："), {120, 2190, 1215, 255});
    Drive1 = new DriveListBox(page);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setAccessibleName(QStringLiteral("ドライブ"));
    PlaceControl(Drive1, {120, 2445, 5280, 330}, ControlKind::DriveList);
    Label3[1] = MakeLabel(page, "Label3_1", QStringLiteral("フォルダ："), {120, 2880, 1215, 255});
    Dir1 = new DirListBox(page);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setAccessibleName(QStringLiteral("フォルダ"));
    // A single click only marks a folder; say where the choice is made.
    const QString chooses = QStringLiteral("フォルダをダブルクリックすると、そのフォルダが選ばれます。");
    Dir1->setToolTip(chooses);
    Dir1->setAccessibleDescription(chooses);
    PlaceControl(Dir1, {120, 3135, 5280, 1305});
    Label3[0]->setBuddy(Drive1);
    Label3[1]->setBuddy(Dir1);

    // Both lists start at the current directory.
    const QStringList volumes = P().files().volumes();
    Drive1->setVolumes(volumes);
    Dir1->setVolumes(volumes);
    if (!Dir1->setPath(QDir::currentPath(), nullptr) && !Dir1->setPath(QDir::homePath(), nullptr))
        Dir1->setPath(QDir::rootPath(), nullptr);
    Drive1->showDrive(FolderLists::VolumeOf(Dir1->path(), volumes));
    return page;
}

QWidget* frmOptions::BuildEditorPage() {
    QWidget* page = MakePage("SSTab1Page1", QStringLiteral("エディタ選択"));
    Frame2 = MakeFrame(page, "Frame2", QString(), QStringLiteral("エディタの説明"), {120, 60, 5280, 735});
    Label1[2] = MakeInstruction(Frame2, "Label1_2",
                                QStringLiteral("ソースを表示するためのエディタを選択してください。"),
                                {120, 150, 5040, 540});
    const QString captions[2] = {QStringLiteral("Javaﾌｧｲﾙ (*.java) ："),
                                 QStringLiteral("HTMLﾌｧｲﾙ (*.html or *.htm ) ：")};
    const QString subjects[2] = {QStringLiteral("Javaﾌｧｲﾙ"), QStringLiteral("HTMLﾌｧｲﾙ")};
    for (int i = 0; i < 2; ++i) {
        const double top = 1080 + 900 * i;
        Label1[i] = MakeLabel(page, i == 0 ? "Label1_0" : "Label1_1", captions[i], {120, top, 5280, 255});
        txtEditPath[i] = MakeBox(page, QStringLiteral("txtEditPath%1").arg(i),
                                 subjects[i] + QStringLiteral("のエディタ"), {120, top + 300, 4080, 345});
        cmdSelectEdit[i] =
            MakeButton(page, QStringLiteral("cmdSelectEdit%1").arg(i), QStringLiteral("参照 ..."),
                       subjects[i] + QStringLiteral("のエディタを参照"), {4320, top + 285, 1080, 375});
    }
    return page;
}

QWidget* frmOptions::BuildBrowserPage() {
    QWidget* page = MakePage("SSTab1Page2", QStringLiteral("ブラウザ選択"));
    Frame3 = MakeFrame(page, "Frame3", QString(), QStringLiteral("ブラウザの説明"), {120, 60, 5280, 975});
    Label4 = MakeInstruction(Frame3, "Label4",
                             QStringLiteral("HTMLﾌｧｲﾙ(*.html or *.htm) を表示するブラウザを選択してください。"
                                            "「名前 ：」はﾌﾞﾗｳｻﾞﾎﾞﾀﾝの上にﾏｳｽが来たときに表示します。"),
                             {120, 150, 5040, 780});
    QGroupBox** frames[2] = {&Frame5, &Frame6};
    const QString titles[2] = {QStringLiteral("ブラウザ１"), QStringLiteral("ブラウザ２")};
    for (int j = 0; j < kBrowserCount; ++j) {
        QGroupBox* frame = MakeFrame(page, j == 0 ? "Frame5" : "Frame6", titles[j], titles[j],
                                     {120, 1140 + 1620.0 * j, 5280, 1455});
        *frames[j] = frame;
        Label2[2 + j] = MakeLabel(frame, j == 0 ? "Label2_2" : "Label2_3", QStringLiteral("名前 ："),
                                  {240, 420, 720, 255});
        txtBrowserName[j] = MakeBox(frame, QStringLiteral("txtBrowserName%1").arg(j),
                                    titles[j] + QStringLiteral("の名前"), {960, 375, 2880, 345});
        Label2[j] = MakeLabel(frame, j == 0 ? "Label2_0" : "Label2_1", QStringLiteral("パス ："),
                              {240, 945, 720, 255});
        txtBrowserPath[j] = MakeBox(frame, QStringLiteral("txtBrowserPath%1").arg(j),
                                    titles[j] + QStringLiteral("のパス"), {960, 900, 3000, 345});
        cmdSelectBrowser[j] =
            MakeButton(frame, QStringLiteral("cmdSelectBrowser%1").arg(j), QStringLiteral("参照 ..."),
                       titles[j] + QStringLiteral("を参照"), {4080, 885, 1080, 375});
    }
    return page;
}

QWidget* frmOptions::BuildOtherPage() {
    QWidget* page = MakePage("SSTab1Page3", QStringLiteral("その他\u3000"));
    Frame4 = MakeFrame(page, "Frame4", QString(), QStringLiteral("その他の説明"), {120, 60, 5280, 735});
    Label5 = MakeInstruction(
        Frame4, "Label5",
        QStringLiteral("「ファイル名の履歴数」 と 「htmlファイル (*.htm or *.html) の拡張子」を"
                       "選択してください。"),
        {120, 150, 5040, 540});

    Frame7 = MakeFrame(page, "Frame7", QStringLiteral("ﾌｧｲﾙ名の履歴数"), QStringLiteral("ﾌｧｲﾙ名の履歴数"),
                       {120, 960, 5280, 1455});
    Label6 = MakeLabel(Frame7, "Label6", QStringLiteral("履歴数 ："), {240, 540, 1080, 300});
    Label6->setFont(Fonts::PGothic(11.25));
    Label7 = MakeLabel(Frame7, "Label7", QString(), {1320, 465, 840, 450});
    StableAccessible::MarkValueLabel(Label7, QStringLiteral("履歴数の値"), 0, kMaxRecentCount);
    Label7->setFont(Fonts::PGothic(14.25, true));
    Label7->setAlignment(Qt::AlignCenter);
    Label7->setFrameStyle(QFrame::Box | QFrame::Plain);
    Label7->setLineWidth(1);
    Label7->setAutoFillBackground(true);
    QPalette white = Label7->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    Label7->setPalette(white);
    HScroll1 = new QScrollBar(Qt::Horizontal, Frame7);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    HScroll1->setAccessibleName(QStringLiteral("履歴数"));
    HScroll1->setRange(0, 99);
    HScroll1->setSingleStep(1);
    HScroll1->setPageStep(1);
    PlaceControl(HScroll1, {2400, 540, 2640, 300});
    Label6->setBuddy(HScroll1);
    Label8 = MakeLabel(Frame7, "Label8", QStringLiteral("0"), {2400, 900, 480, 300});
    Label8->setFont(Fonts::PGothic(12, true));
    Label8->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label9 = MakeLabel(Frame7, "Label9", QStringLiteral("99"), {4560, 900, 480, 300});
    Label9->setFont(Fonts::PGothic(12, true));
    Label9->setAlignment(Qt::AlignRight | Qt::AlignTop);

    Frame8 = MakeFrame(page, "Frame8", QStringLiteral("htmlﾌｧｲﾙの拡張子"), QStringLiteral("htmlﾌｧｲﾙの拡張子"),
                       {120, 2580, 5280, 1095});
    const QString captions[2] = {QStringLiteral("htm"), QStringLiteral("html")};
    for (int i = 0; i < 2; ++i) {
        optHtml[i] = new QRadioButton(captions[i], Frame8);
        optHtml[i]->setObjectName(QStringLiteral("optHtml%1").arg(i));
        optHtml[i]->setAccessibleName(captions[i]);
        optHtml[i]->setFont(Fonts::PGothic(14.25, true));
        PlaceControl(optHtml[i], {1080 + 1920.0 * i, 420, 1440, 435});
    }
    optHtml[1]->setChecked(true);
    return page;
}

// Load: centre the dialog, then fill the controls from the shared settings.
void frmOptions::Form_Load() {
    CenterForm(this);
    FillFromSettings();
}

// The dialog's copy starts as the shared settings are now; every control's
// handler keeps its part of the copy as the control shows it.
void frmOptions::FillFromSettings() {
    m_edit = S;
    for (int i = 0; i < kFolderCount; ++i) txtFolderPath[i]->setText(S.JavaFileFolder[i]);
    txtEditPath[0]->setText(S.JavaEdit);
    txtEditPath[1]->setText(S.HtmlEdit);
    for (int j = 0; j < kBrowserCount; ++j) txtBrowserPath[j]->setText(S.Browser[j]);
    for (int j = 0; j < kBrowserCount; ++j) txtBrowserName[j]->setText(S.BrowserName[j]);
    m_extensionChanged = false;
    if (S.HtmlExtension == QStringLiteral(".htm"))
        optHtml[0]->setChecked(true);
    else
        optHtml[1]->setChecked(true);
    // The label shows the stored text as it is until the bar moves; a stored
    // size the bar cannot show is clamped like the history clamps it.
    SetLabel7(S.RecentNumber);
    HScroll1->setValue(ClampRecentCount(S.RecentNumber));
    cmdOK->setEnabled(false);
    cmdApply->setEnabled(false);
}

// Something differs from the stored settings: "更新" and "OK" become usable.
void frmOptions::MarkChanged() {
    cmdApply->setEnabled(true);
    cmdOK->setEnabled(true);
}

void frmOptions::txtFolderPath_Change(int Index) {
    m_edit.JavaFileFolder[Index] = txtFolderPath[Index]->text();
    MarkChanged();
}

void frmOptions::txtEditPath_Change(int Index) {
    (Index == 0 ? m_edit.JavaEdit : m_edit.HtmlEdit) = txtEditPath[Index]->text();
    MarkChanged();
}

void frmOptions::txtBrowserPath_Change(int Index) {
    m_edit.Browser[Index] = txtBrowserPath[Index]->text();
    MarkChanged();
}

void frmOptions::txtBrowserName_Change(int Index) {
    m_edit.BrowserName[Index] = txtBrowserName[Index]->text();
    MarkChanged();
}

void frmOptions::SetLabel7(const QString& text) {
    Label7->setText(text);
    m_edit.RecentNumber = text;
}

void frmOptions::HScroll1_Change() {
    SetLabel7(u' ' + QString::number(HScroll1->value()));
    StableAccessible::ValueChanged(Label7);
    MarkChanged();
}

void frmOptions::optHtml_Click(int Index) {
    const QString candidate = Index == 0 ? QStringLiteral(".htm") : QStringLiteral(".html");
    m_edit.HtmlExtension = candidate;
    if (candidate == S.HtmlExtension) return;
    m_extensionChanged = true;
    MarkChanged();
}

// Points the directory list at the drive now selected; a drive that cannot
// be read is reported and the drive list goes back to the directory list's.
void frmOptions::Drive1_Change() {
    QString error;
    if (Dir1->setDrive(Drive1->drive(), &error)) return;
    ShowDriveError(error);
    Drive1->setDrive(FolderLists::VolumeOf(Dir1->path(), Drive1->volumes()));
}

void frmOptions::ShowDriveError(const QString& error) {
    P().desktop().messageBox(this, error, kErrorTitle, MsgIcon::Critical, MsgButtons::Ok);
}

// The directory list's path goes into the folder box of the selected path
// button.
void frmOptions::Dir1_Change() {
    QLineEdit* target = optFolderPath[0]->isChecked()   ? txtFolderPath[0]
                        : optFolderPath[1]->isChecked() ? txtFolderPath[1]
                                                        : txtFolderPath[2];
    target->setText(Dir1->path());
}

void frmOptions::cmdSelectEdit_Click(int Index) {
    const QString file = P().desktop().openFileDialog(this, QStringLiteral("ｴﾃﾞｨﾀ選択(Javaﾌｧｲﾙ表示)"));
    if (file.isEmpty()) return;
    txtEditPath[Index]->setText(file);
}

void frmOptions::cmdSelectBrowser_Click(int Index) {
    const QString file = P().desktop().openFileDialog(this, QStringLiteral("ﾌﾞﾗｳｻﾞ選択"));
    if (file.isEmpty()) return;
    txtBrowserPath[Index]->setText(file);
}

// A folder box written from the home folder shows the path it stands for;
// a folder that changed and is not there may be made now. Either way the
// folder is applied as the box then shows it.
void frmOptions::CheckFolder(int Index) {
    const QString typed = m_edit.JavaFileFolder[Index];
    const QString folder = HomeExpanded(typed, P().files().homeFolder());
    if (folder != typed) txtFolderPath[Index]->setText(folder);  // its handler keeps the copy
    // A relative folder has nothing to be made in: Quenlark's own working
    // folder is none of the user's.
    if (folder.isEmpty() || folder == S.JavaFileFolder[Index] || !QDir::isAbsolutePath(folder) ||
        P().files().folderExists(folder))
        return;
    const MsgResult answer = P().desktop().messageBox(
        this, QStringLiteral("フォルダ «") + folder + QStringLiteral("» はありません。作りますか？"),
        QStringLiteral("ﾌｫﾙﾀﾞがありません"), MsgIcon::Exclamation, MsgButtons::YesNo);
    if (answer != MsgResult::Yes) return;
    QString reason;
    if (P().files().makeFolder(folder, &reason)) return;
    P().desktop().messageBox(
        this,
        QStringLiteral("フォルダ «") + folder + QStringLiteral("» を作れませんでした。\n\n理由: ") + reason,
        kErrorTitle, MsgIcon::Critical, MsgButtons::Ok);
}

void frmOptions::cmdApply_Click() {
    // One rewrite for the whole apply; a failed one is told once all is done.
    const SettingsBatch batch;
    for (int i = 0; i < kFolderCount; ++i) CheckFolder(i);
    // The history size is the label's digits, after a space once the bar
    // moved.
    Settings edited = m_edit;
    while (edited.RecentNumber.startsWith(u' ')) edited.RecentNumber.remove(0, 1);
    SaveSettings(edited, m_extensionChanged);
    cmdApply->setEnabled(false);
    cmdOK->setEnabled(false);
}

void frmOptions::cmdOK_Click() {
    cmdApply_Click();
    close();
}

void frmOptions::cmdCancel_Click() { close(); }

void frmOptions::cmdHelp_Click() {
    // The first three pages have topics 1 to 3; the last page, and no page,
    // topic 4.
    const int page = SSTab1->currentIndex();
    const int context = page >= 0 && page < 3 ? page + 1 : 4;
    P().desktop().showHelp(this, S.HelpFilePath, context);
}

void frmOptions::keyPressEvent(QKeyEvent* event) {
    // Esc is "ｷｬﾝｾﾙ"; Enter presses the focused button and nothing else, so a
    // path typed into a box never applies by surprise.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel_Click();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QAbstractButton*>(focusWidget()); button && button->isEnabled())
            button->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmOptions::closeEvent(QCloseEvent* event) {
    // The close box is "ｷｬﾝｾﾙ": nothing is applied; the dialog goes away.
    event->accept();
}

bool frmOptions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && m_main && watched == m_main->mainWindow()) {
        watched->removeEventFilter(this);
        FillFromSettings();
    }
    return QWidget::eventFilter(watched, event);
}
