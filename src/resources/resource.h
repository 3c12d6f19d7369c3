// Resource identifiers shared by launcher.rc and the code that loads them.

#ifndef ZLM_RESOURCES_RESOURCE_H_
#define ZLM_RESOURCES_RESOURCE_H_

#define IDI_APP_ICON 101
#define IDR_PAGE_SCRIPT 200

#endif  // ZLM_RESOURCES_RESOURCE_H_
