#!/bin/sh
# Captures what the JDK's javac and java print for the sources below, in
# English and in Japanese, into the *.txt files beside this script. The
# problem-line tests read them. Run again after a JDK update and review the
# diff: the sources live in a fixed folder so that absolute paths stay the same.
set -eu
out=$(cd "$(dirname "$0")" && pwd)
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

# Programs that throw, run as the application script runs them.
mkdir -p classes
LANG=C javac -encoding UTF-8 -d classes Ask.java AskLine.java AskPrompt.java Npe.java Arr.java Num.java Wrap.java
(cd "my folder" && LANG=C javac -d ../classes shapes/Box.java)
run() { # name class [typed input]
    printf '%s' "${3-}" | LANG=C java -Duser.language=en -Duser.country=US -Dfile.encoding=UTF-8 \
        -Dstdout.encoding=UTF-8 -Dstderr.encoding=UTF-8 -cp classes "$2" >"$out/$1.java.en.txt" 2>&1 || true
    printf '%s' "${3-}" | LANG=C java -Duser.language=ja -Duser.country=JP -Dfile.encoding=UTF-8 \
        -Dstdout.encoding=UTF-8 -Dstderr.encoding=UTF-8 -cp classes "$2" >"$out/$1.java.ja.txt" 2>&1 || true
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
java -version 2>"$out/jdk-version.txt"
