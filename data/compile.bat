#!/bin/sh
# compile.bat - Quenlark の「ｺﾝﾊﾟｲﾙ実行」ボタンから呼ばれるスクリプト
#   $1 : ソースのあるフォルダ
#   $2 : ソースファイル名 (例: Hello.java)
# javac の出力はすべて result.txt に書かれ、「出力結果」ウィンドウに表示されます。
# 自由に書き換えてかまいません (オプションの追加など)。
# javac は、Quenlark が起動しておく常駐コンパイラ (quenlark-javac) があれば
# それを通して動きます (速く、結果は javac と同じ)。使わないときは、下の
# 「javac=」の行の後にある quenlark-javac の行を消すか、先頭に # を付けます。
# Applet API (java.applet と javax.swing.JApplet) のない JDK (26 以降) では、
# Quenlark に付いている Applet API (quenlark-applet-api.jar) をその JDK に加えて
# コンパイルします (下の lacks_applet_api と compile)。

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

if ! command -v javac >/dev/null 2>&1; then
    echo "javac が見つかりません。JDK をインストールしてください。"
    echo "  例: sudo apt install default-jdk"
    exit 1
fi
api="${QUENLARK_PROGRAMS:-$(cd "$(dirname "$0")" && pwd)}/quenlark-applet-api.jar"
cd "$1" || { echo "フォルダに移動できません: $1"; exit 1; }

# コマンド $1 (javac か java) の JDK に Applet API がないとき (JDK 26 以降) 真。
# JDK の版は、コマンドのある bin フォルダの隣の release ファイルの JAVA_VERSION
# で調べます (Java を起動しないので速い)。分からないときは API があるとみなします。
# QUENLARK_APPLET_API=ours なら、どの JDK でも Quenlark の API を使います。
lacks_applet_api() {
    [ "${QUENLARK_APPLET_API:-}" = ours ] && return 0
    release=$(readlink -f "$(command -v "$1")") || return 1
    release="${release%/bin/*}/release"
    [ -f "$release" ] || return 1
    while IFS= read -r line || [ -n "$line" ]; do
        case $line in
            JAVA_VERSION=\"[0-9]*)
                line=${line#JAVA_VERSION=\"}
                [ "${line%%[!0-9]*}" -ge 26 ] 2>/dev/null
                return ;;
        esac
    done <"$release"
    return 1
}

# javac を起動する。Applet API のない JDK では Quenlark の API を java.desktop
# モジュールに加え、java.applet パッケージを見えるようにする。
compile() {
    if lacks_applet_api javac && [ -f "$api" ]; then
        "$javac" --patch-module "java.desktop=$api" --add-exports java.desktop/java.applet=ALL-UNNAMED "$@"
    else
        "$javac" "$@"
    fi
}

# ソースの文字コード: UTF-8 として正しくなければ Windows のエディタで保存された
# Shift_JIS (windows-31j) とみなす。メッセージは UTF-8 で書く。
encoding=UTF-8
if ! iconv -f UTF-8 -t UTF-8 "$2" >/dev/null 2>&1; then
    encoding=windows-31j
fi
javac=javac
[ -x "$QUENLARK_PROGRAMS/quenlark-javac" ] && javac="$QUENLARK_PROGRAMS/quenlark-javac"
if compile -g -J-Dfile.encoding=UTF-8 -J-Dstdout.encoding=UTF-8 -J-Dstderr.encoding=UTF-8 \
         -encoding "$encoding" "$2"; then
    echo "コンパイルが終わりました: $2"
else
    echo "コンパイルできませんでした: $2"
    exit 1
fi
