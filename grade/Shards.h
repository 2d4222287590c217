// Shards: a class split over several gradings (a cluster's array tasks, a CI matrix) and joined again.
// A student goes to a shard by a stable hash of the folder's name, so that adding a student moves no
// other; the shard comes from --shard or, when none is given, from the job's environment.
#ifndef TARVIK_GRADE_SHARDS_H
#define TARVIK_GRADE_SHARDS_H
#include <string>
#include <vector>
#include "Assignment.h"
#include "Results.h"
// The shard (1 to shards) a student's folder name goes to.
unsigned shardOfStudent(const std::string& student, unsigned shards);
// The shard from the environment, for a grading given no --shard: TARVIK_SHARD=I/N; else a Slurm array
// task's SLURM_ARRAY_TASK_ID within SLURM_ARRAY_TASK_MIN..MAX (N: SLURM_ARRAY_TASK_COUNT); else a
// Kubernetes indexed job's JOB_COMPLETION_INDEX (from 0) with TARVIK_SHARDS=N.  source names the variables
// read ("" when none is set); false with problem when they are set but do not make a shard.
bool shardFromEnvironment(unsigned& shard, unsigned& shards, std::string& source, std::string& problem);
// The joined results cover the class: every student of it has a result for every test, from one shard
// folder only (a result's folder is the part of its file before /results/); false with problem naming
// the students missing or found in two shards.
bool resultsCoverClass(const std::vector<GradeResult>& results, const Assignment& assignment,
                       const std::vector<std::string>& students, std::string& problem);
#endif
