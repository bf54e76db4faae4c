#include "mPUBLIC.h"

#include "Platform.h"

QString Get_Registered_Owner() {
    return Platform::registeredOwner();
}

QString Get_Registered_Organization() {
    return Platform::registeredOrganization();
}
