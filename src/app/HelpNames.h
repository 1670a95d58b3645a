// What the help file must name: every menu item and key of the program's
// windows, and the controls and topics a learner meets. A test reads the
// help's text for each of them, and checks that every menu item and key the
// windows really have is in this list, so the help cannot fall behind.
#pragma once

namespace HelpNames {

// Menu items, as their captions read without the access key and "...".
inline constexpr const char* kMenuItems[] = {
    "ﾒﾆｭｰ",           "新規作成", "javaﾌｧｲﾙ",       "htmlﾌｧｲﾙ",           "開く",          "出力結果を表示",
    "ｺﾝﾊﾟｲﾙして実行", "設定",     "常に手前に表示", "ﾌﾞﾗｳｻﾞと設定を表示", "ﾊﾟｽ選択を表示", "ﾍﾙﾌﾟ",
    "ﾊﾞｰｼﾞｮﾝ情報",    "終了",     "実行を停止",     "次のエラー",         "前のエラー"};

// Keys, as the help writes them (the key named Pause by the X server is
// Break on the keyboard).
inline constexpr const char* kKeys[] = {"F8",     "F5", "F9",       "Ctrl+Break", "F4",    "Shift+F4",
                                        "Ctrl+F", "F3", "Shift+F3", "Ctrl+D",     "Enter", "Esc"};

// Controls and topics: the run buttons, the result window's console, the
// problem lines and hints, sources and classes, limits, where the scripts
// are, and the applet viewer's menu.
inline constexpr const char* kTopics[] = {"ｺﾝﾊﾟｲﾙ実行",
                                          "ｱﾌﾟﾚｯﾄ実行",
                                          "ｱﾌﾟﾘｹｰｼｮﾝ実行",
                                          "入力",
                                          "停止",
                                          "状態の行",
                                          "ダブルクリック",
                                          "ヒント",
                                          "Shift_JIS",
                                          "jp.example.PkgHello",
                                          "100 MB",
                                          "build/bin/",
                                          "~/.local/share/Quenlark/program/",
                                          "再読み込み",
                                          "閉じる",
                                          "showStatus",
                                          "JDK 26",
                                          "コンパイルサーバ"};

}  // namespace HelpNames
