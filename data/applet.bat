#!/bin/sh
# applet.bat - Quenlark の「ｱﾌﾟﾚｯﾄ実行」ボタンから呼ばれるスクリプト
#   $1 : HTML ファイルのあるフォルダ
#   $2 : HTML ファイル名 (例: Hello.html)
# 出力は result.txt に書かれ、「出力結果」ウィンドウに表示されます。
# 自由に書き換えてかまいません。
#
# アプレットは Quenlark に付いているアプレットビューア quenlark-viewer.jar で
# 表示します。Quenlark は起動するスクリプトすべてに、環境変数
#   QUENLARK_PROGRAMS : Quenlark 本体のあるフォルダ (quenlark-viewer.jar もここ)
# を渡します。この変数がないとき (手で実行したとき) は、このスクリプトと同じ
# フォルダを探します。Applet API (java.applet と javax.swing.JApplet) のない
# JDK (26 以降) では、Quenlark に付いている Applet API (quenlark-applet-api.jar、
# 同じフォルダ) をその JDK に加えてビューアを起動します。

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

programs="${QUENLARK_PROGRAMS:-$(cd "$(dirname "$0")" && pwd)}"
viewer="$programs/quenlark-viewer.jar"
api="$programs/quenlark-applet-api.jar"
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

# ビューアでページ $1 を開く。続く引数は java に渡すオプション。
show_page() {
    page=$1
    shift
    java -Dfile.encoding=UTF-8 -Dstdout.encoding=UTF-8 -Dstderr.encoding=UTF-8 \
         -XX:+UseSerialGC -XX:TieredStopAtLevel=1 -XX:-UsePerfData -Dawt.useSystemAAFontSettings=on \
         "$@" -jar "$viewer" "$page"
}
# 同じく、Quenlark の Applet API を java.desktop モジュールに加えて開く。
show_page_with_our_api() {
    [ -f "$api" ] || return 78
    show_page "$1" --patch-module "java.desktop=$api" --add-exports java.desktop/java.applet=ALL-UNNAMED
}

if command -v java >/dev/null 2>&1 && [ -f "$viewer" ]; then
    # 終了コード 78 は「この JDK に Applet API がない」という知らせです。
    # JDK 16 以前ではビューアそのものが動きません (クラスのバージョンが新しすぎる)。
    if lacks_applet_api java; then
        show_page_with_our_api "$2"
        status=$?
    else
        show_page "$2"
        status=$?
        # release ファイルでは分からなかったが、API のない JDK だった
        if [ "$status" -eq 78 ]; then
            show_page_with_our_api "$2"
            status=$?
        fi
    fi
    if [ "$status" -ne 78 ]; then
        grep -q "UnsupportedClassVersionError: org/quenlark/viewer/Main" "$result" 2>/dev/null ||
            exit "$status"
        status=old
    fi
fi

if command -v appletviewer >/dev/null 2>&1; then
    exec appletviewer -J-Dfile.encoding=UTF-8 "$2"
fi

if ! command -v java >/dev/null 2>&1; then
    echo "java が見つかりません。JDK をインストールしてください。"
    echo "  例: sudo apt install default-jdk"
    exit 1
fi
if [ "${status:-}" = 78 ]; then
    echo "この JDK ($(java -version 2>&1 | head -n 1)) には Applet API (java.applet) がありません。"
    echo "代わりに使う Quenlark の Applet API ($api) が見つからないか、使えません。"
    echo "Quenlark をインストールし直してください。"
elif [ "${status:-}" = old ]; then
    echo "この JDK ($(java -version 2>&1 | head -n 1)) は古く、アプレットビューアを動かせません。"
    echo "JDK 17 以降をインストールし、java と javac のコマンドがそれを指すようにしてください。"
    echo "  例: sudo apt install default-jdk"
    echo "      sudo update-alternatives --config java"
    echo "      sudo update-alternatives --config javac"
else
    echo "アプレットビューア ($viewer) が見つかりません。Quenlark をインストールし直してください。"
fi
echo "$2 はメイン画面のブラウザボタン (１ / ２) でも開けます (アプレットは表示されません)。"
exit 1
