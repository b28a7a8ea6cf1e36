// Control ids of the conversion dialog, template BOX103. Plain macros: the
// resource compiler reads this header too.
#ifndef LABRENA_RESOURCES_BOX103_H_
#define LABRENA_RESOURCES_BOX103_H_

#define IDC_STATUS 100
#define IDC_SCRATCH 101
#define IDC_FOLDER 150
#define IDC_STATUS_LABEL 200
#define IDC_FOLDER_LABEL 250
#define IDC_CONVERT 300
#define IDC_RAIS 302
#define IDC_FRAME 350
#define IDC_WORK_LIST 421
#define IDC_NEXT_CONTROL 500

#endif  // LABRENA_RESOURCES_BOX103_H_
