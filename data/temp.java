public class %CLASSNAME% {

    public static void main(String[] args) {
        // ここにプログラムを書きます
        System.out.println("Hello");
    }
}
