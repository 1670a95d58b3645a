// %CLASSNAME%.java : 新規作成がひな形 temp.java から作ったファイルです。ひな形の中の目印 (CLASSNAME の前後にパーセント記号 % を付けたもの) は、どこでも名前欄に入力したクラス名に置き換わります。

public class %CLASSNAME% {

    public static void main(String[] args) {
        // ここにプログラムを書きます
        System.out.println("Hello");
    }
}
