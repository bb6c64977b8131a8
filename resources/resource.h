// Ids of the executable's resources and of their controls.
#ifndef VELMORA_RESOURCES_RESOURCE_H
#define VELMORA_RESOURCES_RESOURCE_H

#define IDD_STARTUP 101
#define IDC_FULLSCREEN 1033

#endif
