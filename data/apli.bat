#!/bin/sh
# apli.bat - Quenlark の「ｱﾌﾟﾘｹｰｼｮﾝ実行」ボタンから呼ばれるスクリプト
#   $1 : クラスファイルのあるフォルダ
#   $2 : クラス名 (例: Hello。パッケージのクラスは jp.example.Hello)
# プログラムの出力は実行中もそのまま result.txt に書かれ、
# 「出力結果」ウィンドウに表示されます。自由に書き換えてかまいません。

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
exec >>"$result" 2>&1              # 以下の出力はすべて result.txt へ
# 標準入力は「出力結果」ウィンドウの「入力」欄から届きます。

if ! command -v java >/dev/null 2>&1; then
    echo "java が見つかりません。JDK をインストールしてください。"
    echo "  例: sudo apt install default-jdk"
    exit 1
fi
cd "$1" || { echo "フォルダに移動できません: $1"; exit 1; }

# System.out.println は 1 行ごとに書き出されるので、出力は実行中に表示されます。
exec java -Dfile.encoding=UTF-8 -Dstdout.encoding=UTF-8 -Dstderr.encoding=UTF-8 \
     -cp ".${CLASSPATH:+:$CLASSPATH}" "$2"
