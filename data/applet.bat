#!/bin/sh
# applet.bat - Quenlark の「ｱﾌﾟﾚｯﾄ実行」ボタンから呼ばれるスクリプト
#   $1 : HTML ファイルのあるフォルダ
#   $2 : HTML ファイル名 (例: Hello.html)
# 出力は result.txt に書かれ、「出力結果」ウィンドウに表示されます。
# 自由に書き換えてかまいません。

# result.txt に書ける大きさの上限 (512 バイト単位。204800 で 100 MB)。
# 終わらないプログラムが出力でディスクをいっぱいにしないためのものです。
limit=204800

dir="${XDG_DATA_HOME:-$HOME/.local/share}/Quenlark"
result="$dir/result.txt"
[ -d "$dir" ] || (umask 077 && mkdir -p "$dir")
# リンクや FIFO なら消して作り直す (リンク先のファイルは消さない)
if [ -L "$result" ] || { [ -e "$result" ] && [ ! -f "$result" ]; }; then rm -f "$result"; fi
: >"$result"                       # 前回の結果を消す
ulimit -f "$limit" 2>/dev/null     # 上限を超えた分は書かれない
exec >>"$result" 2>&1 </dev/null   # 以下の出力はすべて result.txt へ

cd "$1" || { echo "フォルダに移動できません: $1"; exit 1; }

if command -v appletviewer >/dev/null 2>&1; then
    exec appletviewer -J-Dfile.encoding=UTF-8 "$2"
fi

echo "この JDK にはアプレットビューア (appletviewer) がありません。"
echo "appletviewer は JDK 11 以降で削除されたため、アプレットは実行できません。"
echo "$2 はメイン画面のブラウザボタン (１ / ２) で開いてください。"
exit 1
