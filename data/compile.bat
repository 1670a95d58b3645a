#!/bin/sh
# compile.bat - Quenlark の「ｺﾝﾊﾟｲﾙ実行」ボタンから呼ばれるスクリプト
#   $1 : ソースのあるフォルダ
#   $2 : ソースファイル名 (例: Hello.java)
# javac の出力はすべて result.txt に書かれ、「出力結果」ウィンドウに表示されます。
# 自由に書き換えてかまいません (オプションの追加など)。

dir="${XDG_DATA_HOME:-$HOME/.local/share}/Quenlark"
result="$dir/result.txt"
[ -d "$dir" ] || (umask 077 && mkdir -p "$dir")
: >"$result"                       # 前回の結果を消す
exec >>"$result" 2>&1              # 以下の出力はすべて result.txt へ

if ! command -v javac >/dev/null 2>&1; then
    echo "javac が見つかりません。JDK をインストールしてください。"
    echo "  例: sudo apt install openjdk-17-jdk-headless"
    exit 1
fi
cd "$1" || { echo "フォルダに移動できません: $1"; exit 1; }

# 日本語を含むソースやメッセージを UTF-8 で扱う
if javac -J-Dfile.encoding=UTF-8 -J-Dstdout.encoding=UTF-8 -J-Dstderr.encoding=UTF-8 \
         -encoding UTF-8 "$2"; then
    echo "コンパイルが終わりました: $2"
else
    echo "コンパイルできませんでした: $2"
    exit 1
fi
