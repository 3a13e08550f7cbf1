// A library named as the phone library but without StartManager and DestroyManager, for the test
// that Daybook treats such a library as a missing one.
extern "C" int DaybookTestEmptyLibrary() { return 0; }
