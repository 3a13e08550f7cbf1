// Daybook's entry point: the class library runs the application object of DaybookApp.cpp.
#include <framework/Afx.h>

int main() { return AfxWinMain(); }
