#define IDS_TITLE 1
#define IDS_GREETING 2
#define IDS_FAREWELL 3
#define IDD_ABOUT 100
