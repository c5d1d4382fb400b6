// The root of the log's records.
#include "logging/ObjectBase.h"

CObjectBase::~CObjectBase() = default;
