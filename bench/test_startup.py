"""The start-up benchmark's arithmetic and its judgement of the goal."""
import unittest

import startup


class GoalVerdictTest(unittest.TestCase):
    def test_judged_only_over_enough_rounds_on_a_quiet_machine(self):
        within = (1.04, 1.00, 1.05)
        cases = [
            (within, 21, 0.80, "goal met"),
            (within, 21, 1.01, "goal not judged: the load average reached 1.01"),
            (within, 20, 0.50, "goal not judged: 20 rounds"),
            ((1.04, 1.06, 1.00), 21, 0.50, "goal not met: CPU 1.06x"),
        ]
        for ratios, runs, load, expected in cases:
            with self.subTest(ratios=ratios, runs=runs, load=load):
                self.assertTrue(startup.goal_verdict(ratios, runs, load).startswith(expected))

    def test_paired_ratio_is_the_median_of_the_rounds_ratios(self):
        # Rounds 1.0x, 2.0x and 0.8x: 1.0x, where the ratio of the medians would say 0.8x.
        self.assertEqual(startup.paired_ratio([100, 400, 120], [100, 200, 150]), 1.0)


if __name__ == "__main__":
    unittest.main()
