// The sanitizers' options for every test program, read by the runtime as the
// process starts, so they hold however the test is run: fail on the first
// report, with a stack trace, and leaks inside system libraries suppressed by
// name.

extern "C" {

const char* __asan_default_options()
{
    return "detect_leaks=1:abort_on_error=0:halt_on_error=1:strict_string_checks=1";
}

const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

const char* __lsan_default_options()
{
    return "suppressions=" ZELT_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

} // extern "C"
