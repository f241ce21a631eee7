// Identifiers of the program's resources, shared by the resource script and the code.
#pragma once

#define kProgramIconId 1
#define kUpImageId 101
#define kTickImageId 102
#define kQuestionImageId 103
