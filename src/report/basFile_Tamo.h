#pragma once
// The procedures behind the file class: file status and times, volume facts,
// and the conversion of file times to calendar date-times.

#include <cstdint>
#include <string>

#include "platform/FileSystem.h"
#include "report/PathFunctions.h"

namespace korvane {

// A calendar date with a time of day to the second, in UTC. A default one is
// the zero date 30 December 1899, 00:00:00.
struct FileDate {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;

  // "MM/DD/YYYY hh:mm:ss".
  std::string Text() const;
  bool operator==(const FileDate&) const = default;
};

// The calendar breakdown of a file time (Windows SYSTEMTIME).
struct SystemTime {
  int wYear = 0;
  int wMonth = 0;
  int wDayOfWeek = 0;  // 0 Sunday
  int wDay = 0;
  int wHour = 0;
  int wMinute = 0;
  int wSecond = 0;
  int wMilliseconds = 0;
};

// What the file class reads of an open for reading.
struct OpenInfo {
  bool opened = false;
  bool fixedDisk = false;
};

struct VolumeInfo {
  std::string rootPath;
  std::string volumeName;
  std::uint32_t serialNumber = 0;
  std::uint32_t maximumComponentLength = 0;
  std::uint32_t fileSystemFlags = 0;
  std::string fileSystemName;
};

// 100-nanosecond ticks since 1601-01-01 to the calendar; never fails.
SystemTime FileTimeToSystemTime(std::uint64_t fileTime);
// Fields to a date-time, milliseconds dropped; fields that make no valid date
// (or a year beyond 9999) give the zero date.
FileDate SystemTimeToDate(const SystemTime& st);
FileDate FileTimeToDate(std::uint64_t fileTime);

OpenInfo GetOpenInfo(const std::string& path);
// Times, volume serial number and size; all zero when the file cannot be opened.
platform::FileInformation GetFileInfo(const std::string& path);
std::string GetExpandedName(const std::string& path);  // empty on failure
std::string GetShortName(const std::string& path);     // empty on failure
std::int32_t GetAttributes(const std::string& path);   // -1 when missing
// Length of a file opened for reading; 0 when any step fails.
std::int64_t GetFileLength(const std::string& path);
VolumeInfo GetVolumeInfo(const std::string& rootPath);
// Number of entries a folder search for fileSpec returns (files, folders, "."
// and ".."); a walk passes its search context.
std::int32_t CountMatches(const std::string& fileSpec, platform::SearchContext* context = nullptr);

}  // namespace korvane
