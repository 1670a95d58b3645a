#!/bin/sh
# Captures what the JDK's javac and java print for the sources below, in
# English and in Japanese, into the *.txt files beside this script. The
# problem-line tests read them. Run again after a JDK update and review the
# diff: the sources live in a fixed folder so that absolute paths stay the same.
# With a folder as argument the captures go there instead, and those equal
# to the ones beside the script are left out: run it with another JDK first
# on PATH into jdk21/ or jdk25/ to keep what that JDK prints differently.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=$(cd "${1:-$here}" && pwd)
work=/tmp/quenlark-capture
rm -rf "$work"
mkdir -p "$work/my folder/shapes"
cd "$work"

put() { cat >"$1"; }

put Semi.java <<'J'
public class Semi {
    public static void main(String[] args) {
        int x = 1
        System.out.println(x);
    }
}
J
put Brace.java <<'J'
public class Brace {
    public static void main(String[] args) {
        if (args.length == 0) {
            System.out.println("none");
    }
}
J
put Mid.java <<'J'
public class Mid {
    static void a() {
        System.out.println("a");

    static void b() {
        System.out.println("b");
    }
}
J
put Open.java <<'J'
public class Open {
    public static void main(String[] args)
        System.out.println("x");
    }
}
J
put Hello.java <<'J'
public class Hallo {
    public static void main(String[] args) {
        System.out.println("hi");
    }
}
J
put Helper.java <<'J'
public class Helper {
    static String greet() { return "hi"; }
}
J
put UseHelper.java <<'J'
public class UseHelper {
    public static void main(String[] args) {
        helper h = new helper();
        System.out.println(helper.greet());
        System.out.println(count);
    }
}
J
put Warn.java <<'J'
import java.util.ArrayList;
import java.util.List;

public class Warn {
    public static void main(String[] args) {
        Integer i = new Integer(5);
        List names = new ArrayList();
        names.add(i);
        int y = "text";
    }
}
J
put "my folder/Spaced.java" <<'J'
public class Spaced {
    public static void main(String[] args) {
        String s = 3;
    }
}
J
put "my folder/shapes/Cube.java" <<'J'
package shapes;

public class Cube {
    int side() { return "1"; }
}
J
put Ask.java <<'J'
import java.util.Scanner;

public class Ask {
    public static void main(String[] args) {
        Scanner sc = new Scanner(System.in);
        int n = sc.nextInt();
        System.out.println(n * 2);
    }
}
J
put AskLine.java <<'J'
import java.util.Scanner;

public class AskLine {
    public static void main(String[] args) {
        Scanner sc = new Scanner(System.in);
        String s = sc.nextLine();
        System.out.println(s);
    }
}
J
put Npe.java <<'J'
public class Npe {
    static String name;
    public static void main(String[] args) {
        System.out.println("start");
        System.out.println(name.length());
    }
}
J
put Arr.java <<'J'
public class Arr {
    public static void main(String[] args) {
        int[] a = new int[3];
        for (int i = 0; i <= 3; i++) {
            a[i] = i;
        }
    }
}
J
put Num.java <<'J'
public class Num {
    public static void main(String[] args) {
        String s = "12a";
        int n = Integer.parseInt(s);
        System.out.println(n);
    }
}
J
put Wrap.java <<'J'
public class Wrap {
    static int parse(String s) {
        try {
            return Integer.parseInt(s);
        } catch (NumberFormatException e) {
            throw new IllegalStateException("bad number", e);
        }
    }
    public static void main(String[] args) {
        parse("x");
    }
}
J
put "my folder/shapes/Box.java" <<'J'
package shapes;

public class Box {
    static class Lid {
        void open(int[] v) {
            System.out.println(v[0]);
        }
    }
    public static void main(String[] args) {
        new Lid().open(new int[0]);
    }
}
J
put Sum.java <<'J'
public class Sum {
    public static void main(String[] args) {
        int total = 0;
        for (int i = 1; i <= 10; i++) {
            total += i;
        }
        System.out.println(totl);
        System.out.println(Total);
        shw(total);
        System.out.println(count);
    }
    static void show(int n) {
        System.out.println(n);
    }
}
J
put Lower.java <<'J'
import java.util.Scanner;

public class Lower {
    public static void main(String[] args) {
        scanner sc = new Scanner(System.in);
        string s = sc.nextLine();
        system.out.println(s);
    }
}
J
put AppletHello.java <<'J'
import java.applet.Applet;
import java.awt.Graphics;

public class AppletHello extends Applet {
    public void paint(Graphics g) {
        g.drawString("Hello", 20, 20);
    }
}
J
put AskPrompt.java <<'J'
import java.util.Scanner;

public class AskPrompt {
    public static void main(String[] args) {
        Scanner sc = new Scanner(System.in);
        System.out.print("整数を入力: ");
        int n = sc.nextInt();
        System.out.println(n * 2);
    }
}
J

# The mistakes learners make most, one small program each.
put SemiComment.java <<'J'
public class SemiComment {
    public static void main(String[] args) {
        int x = 1 // 初期値
        System.out.println(x);
    }
}
J
put Ten.java <<'J'
public class Ten {
    public static void main(String[] args) {
        int ten1 = 80;
        ten2 = 90;
        System.out.println(ten1 + ten2);
    }
}
J
put Kazu.java <<'J'
public class Kazu {
    public static void main(String[] args) {
        for (int kazu = 1; kazu <= 3; kazu++) {
            System.out.println(kazu);
        }
        System.out.println(kazu);
        int kazu2 = 10;
        System.out.println(kazu2);
    }
}
J
put OwnMethod.java <<'J'
public class OwnMethod {
    public static void main(String[] args) {
        int a = keisan(3);
        System.out.println(a);
    }
}
J
put JdkCase.java <<'J'
import java.util.Scanner;

public class JdkCase {
    public static void main(String[] args) {
        Scanner sc = new Scanner(System.in);
        int n = sc.nextint();
        String s = "abc";
        System.out.Println(s.Length());
    }
}
J
put PrintCase.java <<'J'
public class PrintCase {
    public static void main(String[] args) {
        System.out.Println("合計");
        System.out.println(Math.Sqrt(2.0));
    }
}
J
put Typo.java <<'J'
public class Typo {
    public static void main(String[] args) {
        Sytem.out.println("こんにちは");
    }
}
J
put NoImport.java <<'J'
public class NoImport {
    public static void main(String[] args) {
        Scanner sc = new Scanner(System.in);
        int n = sc.nextInt();
        System.out.println(n);
    }
}
J
put Len.java <<'J'
public class Len {
    public static void main(String[] args) {
        int[] a = {1, 2, 3};
        for (int i = 0; i < a.length(); i++) {
            System.out.println(a[i]);
        }
        String s = "abc";
        System.out.println(s.length);
    }
}
J
put NoNew.java <<'J'
import java.util.Scanner;

public class NoNew {
    public static void main(String[] args) {
        Scanner sc = Scanner(System.in);
        System.out.println(sc.nextInt());
    }
}
J
put Paren.java <<'J'
public class Paren {
    public static void main(String[] args) {
        int a = 1, b = 2;
        System.out.println("合計: " + (a + b);
    }
}
J
put Bracket.java <<'J'
public class Bracket {
    public static void main(String[] args) {
        int[] a = {1, 2, 3};
        System.out.println(a[0];
        System.out.println("x"];
    }
}
J
put ExtraBrace.java <<'J'
public class ExtraBrace {
    public static void main(String[] args) {
        int x = 1;
        if (x > 0) {
            System.out.println("plus");
        }
        }
        System.out.println("end");
    }
}
J
put ExtraEnd.java <<'J'
public class ExtraEnd {
    public static void main(String[] args) {
        System.out.println("a");
    }
    }

    static void b() {
        System.out.println("b");
    }
}
J
put Outside.java <<'J'
public class Outside {
    int x = 5;
    System.out.println(x);

    public static void main(String[] args) {
    }
}
J
put Quote.java <<'J'
public class Quote {
    public static void main(String[] args) {
        System.out.println("Hello);
    }
}
J
put CharLit.java <<'J'
public class CharLit {
    public static void main(String[] args) {
        char c = 'あい';
        System.out.println(c);
    }
}
J
put Zenkaku.java <<'J'
public class Zenkaku {
    public static void main(String[] args) {
        int x = 1;　
        int y = 2；
        System.out.println(x + y);
    }
}
J
put AssignIf.java <<'J'
public class AssignIf {
    public static void main(String[] args) {
        int x = 100;
        if (x = 100) {
            System.out.println("100");
        }
    }
}
J
put IfSemi.java <<'J'
public class IfSemi {
    public static void main(String[] args) {
        int x = 5;
        if (x > 3); {
            System.out.println("big");
        } else {
            System.out.println("small");
        }
    }
}
J
put NoReturn.java <<'J'
public class NoReturn {
    static int bigger(int a, int b) {
        if (a > b) {
            return a;
        }
    }
    public static void main(String[] args) {
        System.out.println(bigger(1, 2));
    }
}
J
put Args.java <<'J'
public class Args {
    static int add(int a, int b) {
        return a + b;
    }
    public static void main(String[] args) {
        System.out.println(add(1));
        System.out.println(add("1", 2));
    }
}
J
put StrInt.java <<'J'
import java.util.Scanner;

public class StrInt {
    public static void main(String[] args) {
        Scanner sc = new Scanner(System.in);
        int age = "20";
        int n = sc.nextLine();
        System.out.println(age + n);
    }
}
J
put Lossy.java <<'J'
public class Lossy {
    public static void main(String[] args) {
        int sum = 10;
        int avg = sum / 3.0;
        System.out.println(avg);
    }
}
J
put NonStatic.java <<'J'
public class NonStatic {
    int count = 0;
    void show() {
        System.out.println("show");
    }
    public static void main(String[] args) {
        show();
        count++;
    }
}
J
put Uninit.java <<'J'
public class Uninit {
    public static void main(String[] args) {
        int total;
        for (int i = 1; i <= 3; i++) {
            total += i;
        }
        System.out.println(total);
    }
}
J
put NotStmt.java <<'J'
public class NotStmt {
    public static void main(String[] args) {
        int x = 1;
        x + 1;
        System.out.println(x);
    }
}
J
put StrGt.java <<'J'
public class StrGt {
    public static void main(String[] args) {
        String s = "15";
        if (s > 10) {
            System.out.println("big");
        }
    }
}
J
put Twice.java <<'J'
public class Twice {
    public static void main(String[] args) {
        int x = 1;
        int x = 2;
        System.out.println(x);
    }
}
J
put Unreach.java <<'J'
public class Unreach {
    static int twice(int a) {
        return a * 2;
        System.out.println("done");
    }
    public static void main(String[] args) {
        System.out.println(twice(2));
    }
}
J
put NoType.java <<'J'
public class NoType {
    public static hello() {
        System.out.println("hello");
    }
    public static void main(String[] args) {
        hello();
    }
}
J
put ForComma.java <<'J'
public class ForComma {
    public static void main(String[] args) {
        for (int i = 0, i < 5, i++) {
            System.out.println(i);
        }
    }
}
J
put HeadSemi.java <<'J'
public class HeadSemi {
    static void hello();
    {
        System.out.println("hello");
    }
    public static void main(String[] args) {
        hello();
    }
}
J
put TypeCall.java <<'J'
public class TypeCall {
    static int wa(int a, int b) {
        return a + b;
    }
    public static void main(String[] args) {
        int a = 1, b = 2;
        int kotae = wa(int a, int b);
        System.out.println(kotae);
    }
}
J
put Io.java <<'J'
import java.io.BufferedReader;
import java.io.InputStreamReader;

public class Io {
    public static void main(String[] args) {
        BufferedReader br = new BufferedReader(new InputStreamReader(System.in));
        String s = br.readLine();
        System.out.println(s);
    }
}
J
put VoidUse.java <<'J'
public class VoidUse {
    static void hello() {
        System.out.println("hello");
    }
    static void five() {
        return 5;
    }
    public static void main(String[] args) {
        System.out.println(hello());
    }
}
J
put Deref.java <<'J'
public class Deref {
    public static void main(String[] args) {
        int n = 5;
        if (n.equals(5)) {
            System.out.println("five");
        }
    }
}
J
put ModLocal.java <<'J'
public class ModLocal {
    public static void main(String[] args) {
        public static int kaisu = 0;
        kaisu++;
        System.out.println(kaisu);
    }
}
J
put ModPrivate.java <<'J'
public class ModPrivate {
    void count() {
        private int count;
        count = 1;
    }
    public static void main(String[] args) {
    }
}
J
put Header.java <<'J'
public class Header {
    int nibai(int x)
        return x * 2;
    }
    public static void main(String[] args) {
        System.out.println("x");
    }
}
J
# Mistakes that no hint is sure of.
put TwoStrings.java <<'J'
public class TwoStrings {
    public static void main(String[] args) {
        System.out.println("a" "b");
    }
}
J
put NoParamType.java <<'J'
public class NoParamType {
    static int add(a, b) {
        return a + b;
    }
}
J
put Spelling.java <<'J'
public class Spelling {
    public static void main(String[] args) {
        String s = "abc";
        System.out.println(s.lenght());
    }
}
J

# Programs that stop at run time.
put Div.java <<'J'
public class Div {
    public static void main(String[] args) {
        int sum = 10, n = 0;
        System.out.println(sum / n);
    }
}
J
put StrIdx.java <<'J'
public class StrIdx {
    public static void main(String[] args) {
        String s = "abc";
        System.out.println(s.charAt(3));
    }
}
J
put SubIdx.java <<'J'
public class SubIdx {
    public static void main(String[] args) {
        String s = "abc";
        System.out.println(s.substring(1, 5));
    }
}
J
put ListIdx.java <<'J'
import java.util.ArrayList;

public class ListIdx {
    public static void main(String[] args) {
        ArrayList<String> list = new ArrayList<>();
        list.add("a");
        list.add("b");
        list.add("c");
        System.out.println(list.get(3));
    }
}
J
put Recur.java <<'J'
public class Recur {
    static int fact(int n) {
        return n * fact(n - 1);
    }
    public static void main(String[] args) {
        System.out.println(fact(5));
    }
}
J
put NoMain.java <<'J'
public class NoMain {
    public static void mian(String[] args) {
        System.out.println("hi");
    }
}
J
put Paint.java <<'J'
import java.applet.Applet;
import java.awt.Graphics;

public class Paint extends Applet {
    public void paint(Graphics g) {
        g.drawString("Hello", 20, 20);
    }
}
J
put Base.java <<'J'
public class Base {
}
J
put Sub.java <<'J'
public class Sub extends Base {
    public static void main(String[] args) {
        System.out.println("sub");
    }
}
J
put Dbl.java <<'J'
public class Dbl {
    public static void main(String[] args) {
        double d = Double.parseDouble("abc");
        System.out.println(d);
    }
}
J
put Cast.java <<'J'
public class Cast {
    public static void main(String[] args) {
        Object o = "5";
        Integer i = (Integer) o;
        System.out.println(i);
    }
}
J
put Decimal.java <<'J'
public class Decimal {
    public static void main(String[] args) {
        int n = Integer.parseInt("3.5");
        System.out.println(n);
    }
}
J
put ReadFile.java <<'J'
import java.io.FileReader;
import java.io.IOException;

public class ReadFile {
    public static void main(String[] args) throws IOException {
        FileReader r = new FileReader("data.txt");
        System.out.println(r.read());
    }
}
J
put ReadPath.java <<'J'
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;

public class ReadPath {
    public static void main(String[] args) throws IOException {
        System.out.println(Files.readAllLines(Path.of("data.txt")));
    }
}
J
put NullLocal.java <<'J'
public class NullLocal {
    public static void main(String[] args) {
        String name = null;
        System.out.println(name.length());
    }
}
J

# javac as the compile script runs it, in both languages.
ENC="-J-Dfile.encoding=UTF-8 -J-Dstdout.encoding=UTF-8 -J-Dstderr.encoding=UTF-8 -encoding UTF-8"
compile() { # name dir files...
    name=$1 dir=$2
    shift 2
    for lang in en ja; do
        case $lang in
            en) flags="-J-Duser.language=en -J-Duser.country=US" ;;
            ja) flags="-J-Duser.language=ja -J-Duser.country=JP" ;;
        esac
        # shellcheck disable=SC2086
        (cd "$dir" && LANG=C javac $flags $ENC -d "$work/classes" "$@" >"$out/$name.javac.$lang.txt" 2>&1) || true
    done
}
compile semicolon . Semi.java
compile eof-brace . Brace.java
compile method-brace . Mid.java
compile open-brace . Open.java
compile public-name . Hello.java
compile case-symbol . UseHelper.java
compile warning . Warn.java
compile spaced-absolute . "$work/my folder/Spaced.java"
compile package "my folder" shapes/Cube.java
compile near-name . Sum.java
cp Sum.java "$out/Sum.java.txt"  # the near-name hint reads the source
compile lower-case . Lower.java
compile applet-removal . AppletHello.java
for k in semi-comment:SemiComment undeclared-assign:Ten out-of-scope:Kazu own-method:OwnMethod \
    jdk-method-case:JdkCase print-case:PrintCase package-typo:Typo no-import:NoImport length:Len no-new:NoNew \
    paren:Paren bracket:Bracket extra-brace:ExtraBrace extra-end:ExtraEnd outside:Outside \
    quote:Quote char-literal:CharLit zenkaku:Zenkaku assign-if:AssignIf if-semi:IfSemi \
    no-return:NoReturn args:Args string-int:StrInt lossy:Lossy non-static:NonStatic \
    uninit:Uninit not-statement:NotStmt string-gt:StrGt twice:Twice unreachable:Unreach \
    no-type:NoType for-comma:ForComma header-semi:HeadSemi type-call:TypeCall io:Io \
    void-use:VoidUse deref:Deref modifier-local:ModLocal modifier-private:ModPrivate \
    header:Header two-strings:TwoStrings no-param-type:NoParamType spelling:Spelling; do
    compile "${k%%:*}" . "${k#*:}.java"
    cp "${k#*:}.java" "$out/${k#*:}.java.txt"  # the hints read the source
done

# Programs that throw, run as the application script runs them (compiled
# with -g, as the compile script compiles).
mkdir -p classes plain
LANG=C javac -g -encoding UTF-8 -d classes Ask.java AskLine.java AskPrompt.java Npe.java Arr.java Num.java \
    Wrap.java Div.java StrIdx.java SubIdx.java ListIdx.java Recur.java NoMain.java Dbl.java Cast.java \
    Decimal.java ReadFile.java ReadPath.java NullLocal.java Base.java Sub.java
(cd "my folder" && LANG=C javac -g -d ../classes shapes/Box.java)
LANG=C javac -encoding UTF-8 -d plain NullLocal.java  # as an edited script without -g
# An applet and a program whose superclass is gone (as java.applet is on a
# JDK without it).
LANG=C javac -encoding UTF-8 -d classes Paint.java 2>/dev/null || true
rm classes/Base.class
# The Japanese run under a Japanese locale, so that the system's own texts
# (a missing file's "そのようなファイル…") are Japanese too.
run() { # name class [typed input]; $cp is the class path (classes)
    printf '%s' "${3-}" | LANG=C java -Duser.language=en -Duser.country=US -Dfile.encoding=UTF-8 \
        -Dstdout.encoding=UTF-8 -Dstderr.encoding=UTF-8 -cp "${cp:-classes}" "$2" >"$out/$1.java.en.txt" 2>&1 || true
    printf '%s' "${3-}" | LANG=ja_JP.UTF-8 java -Duser.language=ja -Duser.country=JP -Dfile.encoding=UTF-8 \
        -Dstdout.encoding=UTF-8 -Dstderr.encoding=UTF-8 -cp "${cp:-classes}" "$2" >"$out/$1.java.ja.txt" 2>&1 || true
}
run scanner-int Ask
run scanner-line AskLine
run null Npe
run array Arr
run number Num
run wrapped Wrap
run nested shapes.Box
run mismatch Ask "abc
"
run prompt AskPrompt
for k in zero:Div string-index:StrIdx substring:SubIdx list-index:ListIdx recursion:Recur no-main:NoMain \
    parse-double:Dbl cast:Cast decimal:Decimal file:ReadFile path:ReadPath null-local:NullLocal \
    superclass:Sub; do
    run "${k%%:*}" "${k#*:}"
done
[ -f classes/Paint.class ] && run applet-main Paint
cp Paint.java "$out/Paint.java.txt"  # the hint reads whether it is an applet
run decimal-input Ask "3.5
"
(cp plain/NullLocal.class classes/ && run null-nameless NullLocal)
(cd classes/shapes && cp=. && run wrong-name Box)
# Classes of a newer JDK's javac run by this java (java and javac of two
# JDKs): NEWER_JAVAC=/path/to/jdk-25/bin/javac.
if [ -n "${NEWER_JAVAC-}" ]; then
    mkdir -p newer
    "$NEWER_JAVAC" -d newer NullLocal.java
    cp=newer run class-version NullLocal
fi
# A JDK without java.applet (26 and later) cannot load an applet's class:
# the launcher says so as it does for any superclass that is gone.
for lang in en ja; do
    sed 's|Base|java/applet/Applet|; s|Sub|Paint|' "$out/superclass.java.$lang.txt" >"$out/applet-gone.java.$lang.txt"
done
java -version 2>"$out/jdk-version.txt"
if [ "$out" != "$here" ]; then
    for f in "$out"/*.txt; do
        if cmp -s "$f" "$here/${f##*/}"; then rm "$f"; fi
    done
fi
