// The root of the log's records: something that can be deleted through a base pointer.
#pragma once

class CObjectBase {
public:
    CObjectBase() = default;
    CObjectBase(const CObjectBase&) = default;
    CObjectBase& operator=(const CObjectBase&) = default;
    virtual ~CObjectBase();
};
