/* A DLL with no resources at all: a real PE file that has no version information. */
int PlainEntry(void) {
    return 1;
}
