// The one source of the targets that hold the tests' precompiled headers
// (tests/support/CMakeLists.txt): they are built for their headers alone.
int main() {
    return 0;
}
