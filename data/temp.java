// 新しい Java プログラムのひな形です。
// クラス名 ClassName をファイル名と同じ名前に変えてください。
// (例: ファイルが Hello.java なら public class Hello)

public class ClassName {

    public static void main(String[] args) {
        // ここにプログラムを書きます
        System.out.println("Hello");
    }
}
