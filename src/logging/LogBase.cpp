// A log sink.
#include "logging/LogBase.h"

#include <utility>

CLogBase::CLogBase(std::wstring logFolder) : logFolder_(std::move(logFolder)) {}

CLogBase::~CLogBase() = default;
