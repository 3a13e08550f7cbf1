#pragma once
// The exchange library's own strings (the fallback when Glossa has no text for them).
#define IDS_INTERLEX_OVERWRITE 201
#define IDS_INTERLEX_CAPTION 202
#define IDS_INTERLEX_BAD_FILE 203
#define IDS_INTERLEX_NO_IDENTITY 204
#define IDS_INTERLEX_TODO_WORD 205
#define IDS_INTERLEX_NO_TODO 206
#define IDS_INTERLEX_NO_SCHEDULE 207
