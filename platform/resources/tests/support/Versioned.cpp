// A program that does nothing: its file carries a version record for the tests to read.
int main() { return 0; }
