// A log sink.
#include "logging/LogBase.h"

#include <utility>

CLogBase::CLogBase(std::wstring logFolder) : m_logFolder(std::move(logFolder)) {}

CLogBase::~CLogBase() = default;
