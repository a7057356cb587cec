// Linked into the Qt programs when they are built with ThreadSanitizer.
//
// Qt is not built with the sanitizer: its thread pools hand memory from one
// thread to another through synchronisation the sanitizer cannot see, and it
// reports the allocations and frees made inside Qt as races. Accesses made by
// uninstrumented libraries are ignored; every access made by our own code is
// still checked.
extern "C" const char* __tsan_default_options() {
    return "ignore_noninstrumented_modules=1";
}
