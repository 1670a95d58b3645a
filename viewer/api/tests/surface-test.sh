#!/bin/bash
# Our Applet API against the JDK's own, where the JDK still has one: the same
# public and protected classes, members and signatures, and each class marked
# deprecated for removal since 9 as the JDK marks it, so a textbook applet
# compiles and warns alike on either. Skipped (status 77) on a JDK without it.
#   surface-test.sh JAVAP JAR
set -u
javap=$1
jar=$2
fail=0
"$javap" java.applet.Applet >/dev/null 2>&1 || { echo "this JDK has no Applet API to compare with"; exit 77; }
classes=(java/applet/Applet 'java/applet/Applet$AccessibleApplet' java/applet/AppletContext
    java/applet/AppletStub java/applet/AudioClip javax/swing/JApplet 'javax/swing/JApplet$AccessibleJApplet')
jdk=("${classes[@]//\//.}")
ours=()
for class in "${classes[@]}"; do ours+=("jar:file:$jar!/$class.class"); done

# Every class's public and protected members; the JDK's JApplet also
# implements a package-private interface of Swing's.
if ! diff <("$javap" -protected "${jdk[@]}" | sed 's/,javax.swing.TransferHandler$HasGetTransferHandler//') \
    <("$javap" -protected "${ours[@]}"); then
    echo "FAIL: the classes differ from the JDK's"
    fail=1
fi
# What each class says of its deprecation, the constant pool's numbers left out.
marks() {
    "$javap" -v "$@" | awk '/^Classfile/ { print "class"; own = 0 } /^SourceFile/ { own = 1 }
        own && /Deprecated|since=|forRemoval=/'
}
if ! diff <(marks "${jdk[@]}") <(marks "${ours[@]}"); then
    echo "FAIL: the classes are not marked deprecated as the JDK's are"
    fail=1
fi
[ "$fail" = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit "$fail"
