// Cells shared by the benchmark netlists.  Every bit is a net of its own (a generate block per bit):
// Icarus re-evaluates every reader of a vector when any one of its bits changes, which would make a
// W-bit datapath cost W times too much and misrepresent the peer.

// A rising-edge D flip-flop with a synchronous reset to its initial value, output 10 units after
// the edge.
`timescale 1ns/1ns
module dffr #(parameter INIT = 1'b0) (input clk, input rst, input d, output reg q);
  initial q = INIT;
  always @(posedge clk) q <= #10 (rst ? INIT : d);
endmodule

// A Fibonacci LFSR, bit i at b[i].q: shifts up by one every cycle, the XOR of four taps entering at
// bit 0.  At time SNAP its bits are copied into snap for the final report.
module lfsr #(parameter W = 16, parameter [W-1:0] SEED = 1, parameter T0 = 0, T1 = 0, T2 = 0, T3 = 0,
              parameter SNAP = 0) (input clk, input rst);
  wire fb;
  reg [W-1:0] snap;
  xor #10 (fb, b[T0].q, b[T1].q, b[T2].q, b[T3].q);
  genvar i;
  generate
    for (i = 0; i < W; i = i + 1) begin : b
      wire q;
      if (i == 0) begin : first
        dffr #(.INIT(SEED[0])) ff (clk, rst, fb, q);
      end else begin : next
        dffr #(.INIT(SEED[i])) ff (clk, rst, b[i-1].q, q);
      end
      initial begin #(SNAP); snap[i] = q; end
    end
  endgenerate
endmodule

// A synchronous counter, bit i at b[i].q: t0 = 1, b[i].t = t_i & q_i carries into bit i+1, q_i
// toggles when t_i.  cout is the carry out of the top bit.
module counter #(parameter K = 16, parameter SNAP = 0) (input clk, input rst, output cout);
  reg [K-1:0] snap;
  genvar i;
  generate
    for (i = 0; i < K; i = i + 1) begin : b
      wire q, t, d, tin;
      if (i == 0) begin : first
        assign tin = 1'b1;
      end else begin : next
        assign tin = b[i-1].t;
      end
      and #10 (t, tin, q);
      xor #10 (d, tin, q);
      dffr ff (clk, rst, d, q);
      initial begin #(SNAP); snap[i] = q; end
    end
  endgenerate
  assign cout = b[K-1].t;
endmodule
