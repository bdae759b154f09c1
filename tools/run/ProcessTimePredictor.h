#pragma once

// Estimates the remaining time of a run from (fraction done, seconds elapsed) samples.
// Each sample gives an estimate of the total duration; it is averaged with the previous one so that
// one jumpy progress report does not swing the estimate.

#include <vector>

class ProcessTimePredictor {
 public:
  // Fractions of exactly 0 or 1 and non-positive times say nothing about the rate: no sample.
  void addSample(double fraction, double elapsedSeconds, int channel = 0);
  // Whole seconds left after the last sample; 0 before the first one.
  int remainingSeconds(int channel = 0) const;
  bool hasEstimate(int channel = 0) const;
  void reset();

 private:
  struct Channel {
    std::vector<double> elapsed;
    std::vector<double> fractions;
    std::vector<double> totals;
  };
  const Channel* find(int channel) const;

  std::vector<Channel> channels_;
};
