// Resource header: only its directives count; the declaration below is C the compiler skips.
int unused_declaration;
#define IDR_TRAY        128
#define ID_STATUS       32800
#define ID_FIND         32799
#define ID_PORT_FIRST   32783
