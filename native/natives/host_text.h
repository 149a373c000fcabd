// Text between Java strings and host texts, as UTF-16.
#pragma once

#include "fmhost/plugin_interface.h"

#include <jni.h>

namespace natives {

// Assigns the string's characters to the host text as a zero-terminated
// string (FM_Text_AssignUnicode): the text ends before a first U+0000. A null
// string assigns the empty text.
void assign_java_string(JNIEnv *env, FMX_Text *text, jstring string);

// A Java string of the host text's characters. When no buffer for them can
// be had, logs the shortage and returns "ERROR out of memory" instead.
jstring java_string_of(JNIEnv *env, const FMX_Text *text);

} // namespace natives
