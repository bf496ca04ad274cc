// velmora-fit: fits the strong evaluation's weights to another engine's scores of quiet
// positions (tools/fit-terms picks and scores them).
//
//   velmora-fit [--epochs N] [--rate R] [--square-penalty P] FILE...
//
// Reads lines "FEN|SCORE" (SCORE: the other engine's score for White in centipawns), starts
// from the weights the build has and lowers the squared distance between the two engines'
// expectations, each score turned into one by a logistic curve: the other engine's by a
// pawn's worth of 400 centipawns, the own by the scale that fits its scores best as they are.
// So the weights keep the units the search's margins are set in. A tenth of the positions is
// kept aside to judge the fit. The weights go to stdout as the source file
// src/search/StrongWeights.cpp; how well the weights before and after fit, to stderr.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/Fen.h"
#include "search/Activity.h"
#include "search/StrongEvaluate.h"

namespace {

struct Sample {
  StrongFeatures features;
  double expected;  // the other engine's expectation for White
};

using Weights = std::vector<double>;  // middle, end per feature, in centipawns

double Sigmoid(double x) { return 1.0 / (1.0 + std::exp(-x)); }

double Score(const Sample& sample, const Weights& weights) {
  const double middleShare = sample.features.phase / static_cast<double>(PHASE_FULL);
  double score = 0;
  for (int i = 0; i < sample.features.count; ++i) {
    const auto& entry = sample.features.entries[static_cast<std::size_t>(i)];
    const auto at = static_cast<std::size_t>(2 * entry.index);
    score += entry.value * (weights[at] * middleShare + weights[at + 1] * (1 - middleShare));
  }
  return score;
}

double Loss(const std::vector<Sample>& samples, const Weights& weights, double scale) {
  double sum = 0;
  for (const Sample& sample : samples) {
    const double error = Sigmoid(Score(sample, weights) / scale) - sample.expected;
    sum += error * error;
  }
  return sum / static_cast<double>(samples.size());
}

// The scale that fits the weights as they are best, by golden-section search.
double FitScale(const std::vector<Sample>& samples, const Weights& weights) {
  double low = 50, high = 3000;
  const double ratio = (std::sqrt(5.0) - 1) / 2;
  for (int step = 0; step < 60; ++step) {
    const double a = high - ratio * (high - low), b = low + ratio * (high - low);
    if (Loss(samples, weights, a) < Loss(samples, weights, b))
      high = b;
    else
      low = a;
  }
  return (low + high) / 2;
}

void Write(const Weights& weights) {
  std::printf(
      "// The strong evaluation's weights, in sixteenths of a centipawn: middle game, "
      "endgame.\n// Written by tools/velmora-fit.\n#include \"search/StrongEvaluate.h\"\n\n"
      "// clang-format off\nconst StrongWeights STRONG_WEIGHTS = {{\n");
  const auto sixteenths = [&](int index, int phase) {
    return static_cast<int>(std::lround(16 * weights[static_cast<std::size_t>(2 * index + phase)]));
  };
  for (int i = 0; i < FEATURE_SQUARES; ++i)
    std::printf("    {%d, %d},  // %s\n", sixteenths(i, 0), sixteenths(i, 1), StrongFeatureName(i));
  for (int kind = 0; kind < 6; ++kind) {
    std::printf("    // %s, by rank from the own side, files a to d\n",
                StrongFeatureName(FEATURE_SQUARES + 32 * kind));
    for (int rank = 0; rank < 8; ++rank) {
      std::printf("   ");
      for (int file = 0; file < 4; ++file) {
        const int index = FEATURE_SQUARES + 32 * kind + 4 * rank + file;
        std::printf(" {%d, %d},", sixteenths(index, 0), sixteenths(index, 1));
      }
      std::printf("\n");
    }
  }
  std::printf("}};\n// clang-format on\n");
}

}  // namespace

int main(int argc, char** argv) {
  int epochs = 3000;
  double rate = 1.0, squarePenalty = 1e-6;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--epochs" || arg == "--rate" || arg == "--square-penalty") && i + 1 < argc) {
      const double value = std::atof(argv[++i]);
      if (arg == "--epochs") epochs = static_cast<int>(value);
      if (arg == "--rate") rate = value;
      if (arg == "--square-penalty") squarePenalty = value;
    } else if (!arg.empty() && arg[0] == '-') {
      std::cerr << "usage: velmora-fit [--epochs N] [--rate R] [--square-penalty P] FILE...\n";
      return 2;
    } else {
      files.push_back(arg);
    }
  }
  std::vector<Sample> train, judge;
  long number = 0;
  for (const std::string& name : files) {
    std::ifstream in(name);
    if (!in) {
      std::cerr << "velmora-fit: cannot read " << name << '\n';
      return 1;
    }
    std::string line;
    while (std::getline(in, line)) {
      number += 1;
      const std::size_t bar = line.find('|');
      Board board;
      std::string error;
      if (bar == std::string::npos || !ReadFen(line.substr(0, bar), board, error)) {
        std::cerr << "velmora-fit: " << name << " line " << number << ": "
                  << (bar == std::string::npos ? "no '|' after the position" : error) << '\n';
        continue;
      }
      const Sample sample{StrongFeaturesOf(board),
                          Sigmoid(std::atof(line.c_str() + bar + 1) / 400.0)};
      (number % 10 == 0 ? judge : train).push_back(sample);
    }
  }
  if (train.size() < 1000) {
    std::cerr << "velmora-fit: only " << train.size() << " positions; thousands are needed\n";
    return 1;
  }
  Weights weights(2 * STRONG_FEATURES);
  for (std::size_t i = 0; i < STRONG_WEIGHTS.size(); ++i) {
    weights[2 * i] = STRONG_WEIGHTS[i].middle / 16.0;
    weights[2 * i + 1] = STRONG_WEIGHTS[i].end / 16.0;
  }
  const double scale = FitScale(train, weights);
  std::fprintf(stderr, "%zu positions to fit, %zu to judge; scale %.1f\n", train.size(),
               judge.size(), scale);
  std::fprintf(stderr, "before: %.6f fitted, %.6f judged\n", Loss(train, weights, scale),
               Loss(judge, weights, scale));

  // Adam over the whole set at once; the piece-square weights are drawn toward zero.
  std::vector<double> first(weights.size()), second(weights.size()), gradient(weights.size());
  const double beta1 = 0.9, beta2 = 0.999;
  for (int epoch = 1; epoch <= epochs; ++epoch) {
    std::fill(gradient.begin(), gradient.end(), 0.0);
    for (const Sample& sample : train) {
      const double p = Sigmoid(Score(sample, weights) / scale);
      const double slope = 2 * (p - sample.expected) * p * (1 - p) / scale;
      const double middleShare = sample.features.phase / static_cast<double>(PHASE_FULL);
      for (int i = 0; i < sample.features.count; ++i) {
        const auto& entry = sample.features.entries[static_cast<std::size_t>(i)];
        const auto at = static_cast<std::size_t>(2 * entry.index);
        gradient[at] += slope * entry.value * middleShare;
        gradient[at + 1] += slope * entry.value * (1 - middleShare);
      }
    }
    const double count = static_cast<double>(train.size());
    const double step = rate * (epoch < epochs / 2 ? 1.0 : 0.2);
    for (std::size_t i = 0; i < weights.size(); ++i) {
      double g = gradient[i] / count;
      if (i >= 2 * FEATURE_SQUARES) g += 2 * squarePenalty * weights[i];
      first[i] = beta1 * first[i] + (1 - beta1) * g;
      second[i] = beta2 * second[i] + (1 - beta2) * g * g;
      const double m = first[i] / (1 - std::pow(beta1, epoch));
      const double v = second[i] / (1 - std::pow(beta2, epoch));
      weights[i] -= step * m / (std::sqrt(v) + 1e-12);
    }
    if (epoch % 500 == 0 || epoch == epochs)
      std::fprintf(stderr, "epoch %d: %.6f fitted, %.6f judged\n", epoch,
                   Loss(train, weights, scale), Loss(judge, weights, scale));
  }
  Write(weights);
}
