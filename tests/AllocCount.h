// Counts every call of operator new and of malloc and its kin in the test
// program that links it, so a test can prove a stretch of play allocates
// nothing.
#pragma once

long AllocationCount();
