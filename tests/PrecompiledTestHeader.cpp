// The object the precompiled GoogleTest header is made for; the test executables reuse it.
