#pragma once
// Control identifiers of the main window's children, so that tools driving the program
// from outside can find each control. Groups of items take consecutive identifiers from
// their base (item 0 at the base).
#define IDC_Q4PathEdit 1001
#define IDC_RzToolButton2 1002
#define IDC_OpenResFolder 1003
#define IDC_ResEdit 1004
#define IDC_RzToolButton1 1005
#define IDC_NoteEdit 1006
#define IDC_HistoryButton 1007
#define IDC_res 1010
#define IDC_resGroup 1019
#define IDC_cusresbox 1020
#define IDC_CusWidth 1021
#define IDC_CusHeight 1022
#define IDC_CusPossibilities 1023
#define IDC_AspectBox 1030
#define IDC_RunNumberBox 1035
#define IDC_demo 1040
#define IDC_DemoEdit 1045
#define IDC_DemoEditButton 1046
#define IDC_QualityModeBox 1050
#define IDC_Label7 1055
#define IDC_ProxyServerEdit 1060
#define IDC_ProxyPortEdit 1061
#define IDC_ProxyUsernameEdit 1062
#define IDC_ProxyPassEdit 1063
#define IDC_UseProxyBox 1064
#define IDC_RzToolButton3 1065
#define IDC_AFBox 1070
#define IDC_AABox 1071
#define IDC_SMPBox 1072
#define IDC_AmbientLightBox 1073
#define IDC_ALValues 1074
#define IDC_FrameTimesBox 1075
#define IDC_Image2 1080
#define IDC_Image3 1081
#define IDC_BenchButton 1082
#define IDC_Label6 1083
#define IDC_Label2 1084
#define IDC_RunsLabel 1085
#define IDC_Label3 1086
#define IDC_Memo1 1087
#define IDC_AboutMemo 1088
#define IDC_Image5 1089
#define IDC_CancelBenchmark 1090
#define IDC_WaitingLabel 1091
// The six pages, the busy panel and the side bar.
#define IDC_Page0 1100
#define IDC_Panel1 1110
#define IDC_RzGroupBar1 1111
// The update check's question window (class TUpgradeAskForm).
#define IDC_UpgradeAskIcon 1190
#define IDC_UpgradeAskLabel 1191
#define IDC_YesBtn 1192
#define IDC_LaterBtn 1193
// The update check's download window (class TUpdateWizardForm).
#define IDC_WizardTitle 1200
#define IDC_LCurrentFile 1201
#define IDC_LDownloadingFileFrom 1202
#define IDC_FileURL 1203
#define IDC_LFileSize 1204
#define IDC_LTransferRate 1205
#define IDC_LEstimatedTime 1206
#define IDC_ProgressCurrentFile 1207
#define IDC_LAllFiles 1208
#define IDC_AllDownloading 1209
#define IDC_ProgressAllFiles 1210
#define IDC_AfterNote 1211
#define IDC_FinishBtn 1212
#define IDC_CancelBtn 1213
