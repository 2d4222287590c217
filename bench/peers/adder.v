// W-bit ripple-carry adder of one-bit full adders fed by a W-bit LFSR: a = s, b = s reversed.
`timescale 1ns/1ns
module top;
  parameter W = 16, CYCLES = 10, HALF = 100;
  parameter [W-1:0] SEED = 1;
  parameter T0 = 0, T1 = 0, T2 = 0, T3 = 0;
  localparam END = 2 * CYCLES * HALF + HALF / 2;
  reg clk = 0, rst = 0;
  always #HALF clk = ~clk;
  reg [W-1:0] sum;
  lfsr #(.W(W), .SEED(SEED), .T0(T0), .T1(T1), .T2(T2), .T3(T3), .SNAP(END - 1)) gen (clk, rst);
  genvar i;
  generate
    for (i = 0; i < W; i = i + 1) begin : fa
      wire p, g, h, s, cin, cout;
      if (i == 0) begin : first
        assign cin = 1'b0;
      end else begin : next
        assign cin = fa[i-1].cout;
      end
      xor #10 (p, gen.b[i].q, gen.b[W-1-i].q);
      xor #10 (s, p, cin);
      and #10 (g, gen.b[i].q, gen.b[W-1-i].q);
      and #10 (h, cin, p);
      or #10 (cout, g, h);
      initial begin #(END - 1); sum[i] = s; end
    end
  endgenerate
  initial begin
    #(END);
    $display("lfsr=%h sum=%h cout=%h", gen.snap, sum, fa[W-1].cout);
    $finish;
  end
endmodule
